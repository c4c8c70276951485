#!/bin/busybox sh
# shellcheck shell=dash
# The first process of the vivid virtual machine. It loads the vivid test driver, runs the
# command the host baked into /vm/command with the console as its terminal, prints the exit
# status as a marker line the host parses, and powers the machine off. Any failure on the way
# also ends in the marker (with a status the command could not have given) or in a power-off
# without one, so the host never mistakes a broken boot for a pass.

/bin/busybox mount -t devtmpfs devtmpfs /dev
# The kernel had no /dev/console to hand us before devtmpfs was there.
exec </dev/console >/dev/console 2>&1
/bin/busybox --install -s /bin
export PATH=/bin:/usr/bin:/sbin:/usr/sbin
export HOME=/root LANG=C.UTF-8 TMPDIR=/tmp XDG_RUNTIME_DIR=/tmp/runtime
export TAVRIN_VIVID=1 QT_QPA_PLATFORM=offscreen
# The console is a terminal, but the host parses what GoogleTest prints.
export GTEST_COLOR=no

finish() {
    echo
    echo "vivid-vm: the guest's clock says it ran $(cut -d' ' -f1 /proc/uptime) s"
    echo "@@vivid-vm exit status $1@@"
    sync
    # Give the serial port time to drain before the machine goes.
    sleep 1
    poweroff -f
}

mount -t proc proc /proc
mount -t sysfs sysfs /sys
# /tmp stays on the writable root: a program from the host's /tmp lives there.
mkdir -p /tmp /dev/shm /dev/pts "$HOME" "$XDG_RUNTIME_DIR"
mount -t tmpfs tmpfs /dev/shm
mount -t devpts devpts /dev/pts
chmod 0700 "$XDG_RUNTIME_DIR"
# Nothing here can load a module on demand; the kernel need not try.
echo >/proc/sys/kernel/modprobe

while read -r module; do
    insmod "/lib/modules/$module" || {
        echo "vivid-vm: cannot load $module"
        finish 200
    }
done </lib/modules/load-order
# shellcheck disable=SC2046 # the options are words by design
insmod /lib/modules/vivid.ko $(cat /vm/vivid-options) || {
    echo "vivid-vm: cannot load vivid with options: $(cat /vm/vivid-options)"
    finish 201
}
waited=0
while [ ! -e /dev/video0 ] && [ "$waited" -lt 50 ]; do
    sleep 0.1
    waited=$((waited + 1))
done
[ -e /dev/video0 ] || {
    echo "vivid-vm: vivid made no /dev/video0"
    finish 202
}
echo "vivid-vm: vivid loaded ($(cat /vm/vivid-options)); nodes: $(echo /dev/video*)"

# The UVC gadget comes after vivid, so vivid's nodes keep their numbers.
responder=
if [ -e /vm/gadget ]; then
    while read -r module; do
        insmod "/lib/modules/$module" || {
            echo "vivid-vm: cannot load $module"
            finish 204
        }
    done </lib/modules/gadget-load-order
    sh /vm/uvc-gadget.sh start /tmp/uvc-gadget-responder.log || finish 205
    responder=$(cat /run/uvc-gadget-responder.pid)
    export TAVRIN_UVC_GADGET=1
fi

cd /tmp || finish 203
sh /vm/command </dev/null
status=$?
if [ -n "$responder" ]; then
    kill "$responder"
    echo "vivid-vm: what the UVC gadget's responder answered:"
    sed 's/^/vivid-vm: /' /tmp/uvc-gadget-responder.log
fi
finish $status
