#!/bin/busybox sh
# shellcheck shell=dash
# Runs inside the vivid virtual machine: makes the machine's own USB host see a UVC webcam. A
# configfs gadget with the UVC function is bound to the USB/IP virtual device controller
# (usbip-vudc); the responder opens the gadget's video node, which connects the gadget, plugs
# the controller into a port of the USB/IP virtual host controller (vhci_hcd) through a socket
# pair, and answers the control requests; the host enumerates it and uvcvideo binds. Prints the
# host's video node when it is there and exits 0; exits non-zero, with what the kernel said,
# when it isn't.
#   uvc-gadget.sh start LOG   creates and connects the gadget; the responder logs to LOG and
#                             its PID is in /run/uvc-gadget-responder.pid
# The vendor and product IDs are pid.codes' test IDs; the fixture webcam "UVC gadget" in
# tests/fixtures/uvc-webcams.json describes the same device.
set -u

vendor=0x1209
product=0x0001
configfs=/sys/kernel/config
gadget=$configfs/usb_gadget/tavrin
function=$gadget/functions/uvc.0

fail() {
    echo "uvc-gadget: $*"
    dmesg | tail -n 40 | sed 's/^/uvc-gadget: kernel: /'
    exit 1
}

# Writes a value into a configfs attribute, failing loudly: a refused value is a setup fault.
put() {
    echo "$2" >"$1" || fail "cannot write '$2' to $1"
}

make_gadget() {
    grep -q " $configfs " /proc/mounts || mount -t configfs none "$configfs" || fail "cannot mount configfs"
    mkdir "$gadget" || fail "no usb_gadget in configfs (libcomposite)"
    put "$gadget/idVendor" "$vendor"
    put "$gadget/idProduct" "$product"
    put "$gadget/bcdDevice" 0x0100
    # A composite device with an interface association, as UVC devices are.
    put "$gadget/bDeviceClass" 0xef
    put "$gadget/bDeviceSubClass" 0x02
    put "$gadget/bDeviceProtocol" 0x01
    mkdir -p "$gadget/strings/0x409"
    put "$gadget/strings/0x409/manufacturer" "Tavrin"
    put "$gadget/strings/0x409/product" "UVC gadget"
    put "$gadget/strings/0x409/serialnumber" "0001"
    mkdir -p "$gadget/configs/c.1/strings/0x409"
    put "$gadget/configs/c.1/strings/0x409/configuration" "UVC"
    put "$gadget/configs/c.1/MaxPower" 100

    mkdir "$function" || fail "no UVC function in configfs (usb_f_uvc)"
    # The control interface: its header goes into the full-speed and the super-speed sets (the
    # high-speed set reuses the full-speed one).
    mkdir "$function/control/header/h"
    ln -s "$function/control/header/h" "$function/control/class/fs/h"
    ln -s "$function/control/header/h" "$function/control/class/ss/h"
    # One uncompressed format (YUYV by default), one size, one frame interval: enough for
    # uvcvideo's probe to succeed and make its node.
    local format=$function/streaming/uncompressed/u frame
    mkdir "$format"
    frame=$format/360p
    mkdir "$frame"
    put "$frame/wWidth" 640
    put "$frame/wHeight" 360
    put "$frame/dwMinBitRate" 110592000
    put "$frame/dwMaxBitRate" 110592000
    put "$frame/dwMaxVideoFrameBufferSize" 460800
    put "$frame/dwDefaultFrameInterval" 333333
    put "$frame/dwFrameInterval" 333333
    mkdir "$function/streaming/header/h"
    ln -s "$format" "$function/streaming/header/h/u"
    local speed
    for speed in fs hs ss; do
        ln -s "$function/streaming/header/h" "$function/streaming/class/$speed/h"
    done
    ln -s "$function" "$gadget/configs/c.1/uvc.0"

    # What the kernel fixed for the units: the fixture describes the same.
    local unit
    for unit in terminal/camera/default processing/default terminal/output/default; do
        echo "uvc-gadget: $unit: $(cd "$function/control/$unit" && grep -H . ./* 2>/dev/null |
            sed 's|^\./||' | tr '\n' ' ')"
    done

    [ -e /sys/class/udc/usbip-vudc.0 ] || fail "no device controller usbip-vudc.0"
    put "$gadget/UDC" usbip-vudc.0
    echo "uvc-gadget: bound to usbip-vudc.0"
}

# The host's node: a video4linux device under a USB interface of our vendor and product.
host_node() {
    local entry device
    for entry in /sys/class/video4linux/video*; do
        [ -e "$entry" ] || continue
        device=$(readlink -f "$entry/device")
        [ -f "$device/../idVendor" ] || continue
        [ "0x$(cat "$device/../idVendor")" = "$vendor" ] || continue
        [ "0x$(cat "$device/../idProduct")" = "$product" ] || continue
        # uvcvideo gives each camera a capture node (index 0) and a metadata node.
        [ "$(cat "$entry/index")" = 0 ] || continue
        echo "/dev/$(basename "$entry")"
        return 0
    done
    return 1
}

start() {
    local log=$1 pid waited=0 node
    make_gadget
    /vm/uvc-gadget-responder /sys/devices/platform/usbip-vudc.0/usbip_sockfd \
        /sys/devices/platform/vhci_hcd.0/attach >"$log" 2>&1 &
    pid=$!
    echo "$pid" >/run/uvc-gadget-responder.pid
    # Enumeration takes well under a second even under emulation; 60 s means it never will.
    while ! node=$(host_node) && [ "$waited" -lt 600 ]; do
        kill -0 "$pid" 2>/dev/null || {
            sed 's/^/uvc-gadget: responder: /' "$log"
            fail "the responder stopped"
        }
        sleep 0.1
        waited=$((waited + 1))
    done
    [ -n "${node:-}" ] || {
        sed 's/^/uvc-gadget: responder: /' "$log"
        fail "uvcvideo made no node for the gadget"
    }
    echo "uvc-gadget: the host sees the gadget as $node after $((waited / 10)) s"
}

case ${1:-} in
start) start "${2:-/tmp/uvc-gadget-responder.log}" ;;
*)
    echo "usage: uvc-gadget.sh start [LOG]"
    exit 2
    ;;
esac
