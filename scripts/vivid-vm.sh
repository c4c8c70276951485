#!/usr/bin/env bash
# Runs a program inside a small virtual machine that boots Debian 12's own kernel with the vivid
# test driver loaded, and exits with the program's exit status. This machine's kernel has no
# media drivers; Debian's kernel package ships vivid as a module, so the camera backend can be
# tested against a real V4L2 driver without any hardware.
#
#   bash scripts/vivid-vm.sh run BINARY [ARGS...]   runs BINARY ARGS inside, with TAVRIN_VIVID=1
#   bash scripts/vivid-vm.sh gtest BINARY [ARGS...] the same for a GoogleTest binary, which must
#                                                   also run at least one test and skip none
#   bash scripts/vivid-vm.sh shell-check [TAVRIN]   v4l2-ctl's listings and a stream, then
#                                                   `TAVRIN --list` and `--events` (build/src/tavrin)
#   bash scripts/vivid-vm.sh probe                  what the driver answers a second handle
#
# The guest is qemu, an initramfs of static busybox, vivid and its modules, v4l2-ctl, and BINARY
# with every library ldd lists. Its serial console is echoed here. The cached kernel and modules
# taken from the kernel package and the built images are in .cache/vivid-vm; remove it to take a
# newer kernel. Run from anywhere, as root on Debian 12, after scripts/install-deps.sh.
#
# The machine runs under TCG unless KVM is asked for. Some hosts offer a /dev/kvm that boots a
# kernel's first lines and then dies inside KVM ("KVM internal error", "emulation failure") with
# qemu hanging on, so a KVM run is a speed-up, never something a result may depend on: a KVM run
# whose guest fails (an internal error on the console, no exit marker, or a silent console) is
# booted once more under TCG in the same invocation. A program that gives a status, even a
# failing one, is not retried: only a guest that failed is.
#
# The console is watched while the machine runs: the machine is stopped at an internal error, at
# the limit, when the first line takes longer than VIVID_VM_FIRST_LINE s (the kernel boots with
# `quiet`, so the first line is init's), or when the console stays silent for VIVID_VM_SILENCE s
# after it. The guest commands here print as they go, well within that: the longest quiet
# stretch is probe.sh's 40 frames at 5 fps (about 8 s); the contract suites print each test as it
# starts and ends, and none waits more than 10 s.
#
# Exits with the program's status; any other failure (a boot that fails, times out, goes silent
# or ends without the program's exit status, a GoogleTest run that failed, ran nothing or skipped
# a test) exits non-zero. Every failure ends with one line, `vivid-vm: FAILED: REASON`, the
# last on stderr, such as "guest died: KVM internal error", "no output for 30 s" or "2 tests
# failed"; REASON is also written to the file VIVID_VM_REASON_FILE names, if set.
#
# Environment: VIVID_VM_TIMEOUT (seconds for one boot of the guest, default 280), VIVID_VM_SILENCE
# (seconds the console may stay silent after its first line, 30), VIVID_VM_FIRST_LINE (seconds
# until the first line, 120), VIVID_VM_OPTIONS (vivid's module options, default n_devs=2),
# VIVID_VM_CPUS (2), VIVID_VM_MEMORY (MiB, 1024), VIVID_VM_ACCEL (tcg, the default; kvm, with the
# retry under TCG; or auto, which is kvm unless a KVM run already failed here since the host
# booted, as noted in ${TMPDIR:-/tmp}, and tcg then), VIVID_VM_CACHE (the cache folder),
# VIVID_VM_REASON_FILE (see above), VIVID_VM_GADGET (1: also a UVC webcam on the machine's own
# USB bus, a configfs gadget over USB/IP bound to uvcvideo, made by vivid-vm/uvc-gadget.sh before
# the program starts, which then has TAVRIN_UVC_GADGET=1; a gadget that doesn't come up fails
# the run).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
guest=$here/vivid-vm
cache=${VIVID_VM_CACHE:-$repo/.cache/vivid-vm}
limit=${VIVID_VM_TIMEOUT:-280}
silence=${VIVID_VM_SILENCE:-30}
first_line=${VIVID_VM_FIRST_LINE:-120}
vivid_options=${VIVID_VM_OPTIONS:-n_devs=2}
cpus=${VIVID_VM_CPUS:-2}
memory=${VIVID_VM_MEMORY:-1024}
accel=${VIVID_VM_ACCEL:-tcg}
with_gadget=${VIVID_VM_GADGET:-0}
reason_file=${VIVID_VM_REASON_FILE:-}
marker='@@vivid-vm exit status'

say() { echo "vivid-vm: $*" >&2; }
# Names why the run failed in one line, last on stderr and in VIVID_VM_REASON_FILE, so whoever
# ran it can say which step failed and why without reading the whole console.
failed() {
    say "FAILED: $1"
    [[ -z $reason_file ]] || echo "$1" >"$reason_file"
}
die() {
    failed "$*"
    exit 1
}

usage() {
    sed -n '/^#   bash/p' "$0" | sed 's/^#   //' >&2
    exit 2
}

case $accel in
tcg | kvm | auto) ;;
*) die "VIVID_VM_ACCEL is tcg, kvm or auto, not $accel" ;;
esac

# The running machine's qemu, stopped by its PID on every way out.
qemu_pid=
qemu_status=
stop_machine() {
    [[ -n $qemu_pid ]] || return 0
    # TERM lets qemu close its files; a qemu stuck in KVM gets KILL after 5 s.
    kill -TERM "$qemu_pid" 2>/dev/null || true
    local waited
    for ((waited = 0; waited < 50; waited++)); do
        kill -0 "$qemu_pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -KILL "$qemu_pid" 2>/dev/null || true
    qemu_status=0
    wait "$qemu_pid" 2>/dev/null || qemu_status=$?
    qemu_pid=
}

work=$(mktemp -d)
# The console's echo ends once qemu has gone; waited for, so nothing it prints comes after the
# runner's last line.
echo_pid=
trap 'stop_machine; [[ -z $echo_pid ]] || wait "$echo_pid" 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$cache"
# Runs at the same time share the cache: one prepares while the others wait, and all boot freely.
exec 9>"$cache/lock"

sha() { sha256sum "$@" | cut -c1-64; }

# Keeps the newest `keep` files matching the pattern and removes the rest.
prune() {
    local pattern=$1 keep=$2
    # shellcheck disable=SC2012,SC2086 # the pattern is ours and globs on purpose
    ls -t "$cache"/$pattern 2>/dev/null | tail -n +$((keep + 1)) | xargs -r rm -f
}

# The versioned package behind linux-image-amd64, such as linux-image-6.1.0-57-amd64.
kernel_package() {
    local package
    lookup() {
        apt-cache depends linux-image-amd64 2>/dev/null |
            sed -n 's/^ *Depends: \(linux-image-[0-9][^ ]*-amd64\)$/\1/p' | head -1
    }
    package=$(lookup) || true
    if [[ -z $package ]]; then
        # A machine whose package lists were never fetched knows no kernel yet.
        apt-get update >&2
        package=$(lookup) || true
    fi
    [[ -n $package ]] || die "apt knows no linux-image-amd64 to take the kernel from"
    echo "$package"
}

# Copies one module as a plain .ko: busybox insmod reads no compressed modules.
copy_module() {
    local from=$1 to=$2
    case $from in
    *.ko.xz) xz -dc "$from" >"$to" ;;
    *.ko.zst) zstd -qdc "$from" >"$to" ;;
    *.ko.gz) gzip -dc "$from" >"$to" ;;
    *) cp "$from" "$to" ;;
    esac
}

# Unpacks the kernel package once into $cache/kernel-RELEASE: the kernel as an uncompressed
# ELF image, vivid and the modules it needs, and the order to load them in. The bzImage
# decompresses itself at about a tenth of native speed under TCG (half a minute); qemu boots
# the ELF image directly through its PVH entry point instead.
prepare_kernel() {
    local package release unpacked ready
    # Any of Debian 12's kernels will do, and asking apt takes seconds: a prepared one is kept
    # until the cache is removed.
    # "ready" marks a kernel prepared with the UVC gadget's modules too; an older one is redone.
    ready=$(find "$cache" -maxdepth 2 -path "$cache/kernel-*/ready-gadget" | head -1)
    if [[ -n $ready ]]; then
        kernel_dir=$(dirname "$ready")
        return
    fi
    package=$(kernel_package)
    release=${package#linux-image-}
    kernel_dir=$cache/kernel-$release
    say "preparing kernel $release from $package"
    rm -rf "$kernel_dir"
    mkdir -p "$kernel_dir/modules" "$work/deb"
    (cd "$work/deb" && apt-get download -o APT::Sandbox::User=root "$package" >&2)
    unpacked=$work/kernel
    dpkg-deb -x "$work"/deb/*.deb "$unpacked"

    local bzimage=$unpacked/boot/vmlinuz-$release offset
    offset=$(grep -abo $'\xfd7zXZ\x00' "$bzimage" | head -1 | cut -d: -f1)
    [[ -n $offset ]] || die "no xz payload in $bzimage"
    tail -c +$((offset + 1)) "$bzimage" | xz -dc --single-stream >"$kernel_dir/vmlinux" 2>/dev/null || true
    [[ $(head -c 4 "$kernel_dir/vmlinux") == $'\x7fELF' ]] || die "cannot unpack the kernel image"

    busybox depmod -b "$unpacked" "$release"
    local modules=$unpacked/lib/modules/$release
    local vivid
    vivid=$(grep -o '^[^:]*/vivid\.ko[^:]*' "$modules/modules.dep") || die "the kernel has no vivid"
    declare -A needs=() seen=()
    local line
    while IFS= read -r line; do
        needs[${line%%:*}]=${line#*:}
    done <"$modules/modules.dep"
    local order=()
    visit() {
        local module=$1 dependency
        [[ -n ${seen[$module]:-} ]] && return
        seen[$module]=1
        for dependency in ${needs[$module]}; do
            visit "$dependency"
        done
        order+=("$module")
    }
    # Copies the given modules and all they need as plain .ko files and lists them in load order
    # in the file `list`; vivid itself is loaded apart, with its options. A module an earlier
    # list has is not listed again.
    write_load_order() {
        local list=$1 module name
        shift
        order=()
        for module in "$@"; do
            visit "$module"
        done
        : >"$list"
        for module in "${order[@]}"; do
            name=$(basename "$module")
            name=${name%.ko*}.ko
            copy_module "$modules/$module" "$kernel_dir/modules/$name"
            [[ $name == vivid.ko ]] || echo "$name" >>"$list"
        done
    }
    write_load_order "$kernel_dir/modules/load-order" "$vivid"
    # The UVC gadget: a device controller and a host controller in software that talk USB/IP to
    # each other, the gadget's UVC function and the host's UVC driver. dummy_hcd would be the
    # simpler pair, but it has no isochronous endpoints, and the UVC function streams only
    # through one, so it refuses to bind there. Loaded after vivid's, and only for a gadget run,
    # so vivid's nodes keep their numbers and the other runs their modules.
    local gadget=() wanted module
    for wanted in usbip-vudc vhci-hcd libcomposite usb_f_uvc uvcvideo; do
        module=$(grep -o "^[^:]*/$wanted\.ko[^:]*" "$modules/modules.dep") ||
            die "the kernel has no $wanted"
        gadget+=("$module")
    done
    write_load_order "$kernel_dir/modules/gadget-load-order" "${gadget[@]}"
    rm -rf "$unpacked" "$work/deb"
    touch "$kernel_dir/ready-gadget"
    find "$cache" -maxdepth 1 -name 'kernel-*' ! -path "$kernel_dir" -exec rm -rf {} +
    say "vivid needs: $(tr '\n' ' ' <"$kernel_dir/modules/load-order")"
    say "the UVC gadget adds: $(tr '\n' ' ' <"$kernel_dir/modules/gadget-load-order")"
}

# Copies a file to the same absolute path under the image root.
add_file() {
    local root=$1 file=$2
    mkdir -p "$root$(dirname "$file")"
    cp -L "$file" "$root$file"
}

# Copies a program and every library ldd lists for it, the dynamic loader included, to the same
# paths under the image root, so run paths and the loader's default paths hold inside too.
add_program() {
    local root=$1 program=$2 libraries
    libraries=$(ldd "$program" 2>/dev/null) || libraries=
    if grep -q 'not found' <<<"$libraries"; then
        die "$program needs libraries this machine lacks: $(grep 'not found' <<<"$libraries" | tr -s '\t\n' '  ')"
    fi
    mkdir -p "$root$(dirname "$program")"
    # Debug information only makes the image bigger and the boot slower.
    objcopy --strip-debug "$program" "$root$program" 2>/dev/null || cp -L "$program" "$root$program"
    local library
    while IFS= read -r library; do
        [[ -n $library && ! -e $root$library ]] && add_file "$root" "$library"
    done < <(awk '$2 == "=>" && $3 ~ /^\// { print $3 } $1 ~ /^\// { print $1 }' <<<"$libraries")
}

# Writes the files under a root as a newc archive; the kernel unpacks several in a row.
archive() {
    local root=$1 out=$2
    (cd "$root" && find . -print | LC_ALL=C sort | cpio -o -H newc -R 0:0 --quiet) >"$out"
}

# The part every run shares: init, busybox, the modules, v4l2-ctl, the probe and the guest
# scripts. Rebuilt when any of them changes.
prepare_base() {
    local busybox=/bin/busybox v4l2ctl key
    v4l2ctl=$(command -v v4l2-ctl) || die "no v4l2-ctl (scripts/install-deps.sh installs v4l-utils)"
    if ldd "$busybox" >/dev/null 2>&1; then
        die "$busybox is not static (scripts/install-deps.sh installs busybox-static)"
    fi
    key=$( (
        echo "$kernel_dir"
        # Only the folder's own files: its subfolders hold test helpers that never enter the image.
        find "$guest" -maxdepth 1 -type f -print0 | LC_ALL=C sort -z | xargs -0 sha256sum | cut -c1-64
        sha "$0" "$busybox" "$v4l2ctl"
    ) | sha)
    base=$cache/base-$key.cpio
    [[ -f $base ]] && return
    say "building the base image"
    local root=$work/base
    mkdir -p "$root"/{bin,dev,proc,sys,tmp,run,root,etc,vm,lib/modules}
    cp "$guest/init.sh" "$root/init"
    chmod 755 "$root/init"
    cp "$busybox" "$root/bin/busybox"
    cp "$kernel_dir"/modules/* "$root/lib/modules/"
    add_program "$root" "$v4l2ctl"
    gcc -static -O2 -Wall -Wextra -Werror -o "$root/vm/busy-probe" "$guest/busy-probe.c"
    gcc -static -O2 -Wall -Wextra -Werror -o "$root/vm/uvc-gadget-responder" \
        "$guest/uvc-gadget-responder.c"
    cp "$guest/shell-check.sh" "$guest/probe.sh" "$guest/uvc-gadget.sh" "$root/vm/"
    printf 'root:x:0:0:root:/root:/bin/sh\n' >"$root/etc/passwd"
    printf 'root:x:0:\nvideo:x:44:\n' >"$root/etc/group"
    # Qt warns at every start without a UTF-8 locale.
    if [[ -d /usr/lib/locale/C.utf8 ]]; then
        mkdir -p "$root/usr/lib/locale"
        cp -r /usr/lib/locale/C.utf8 "$root/usr/lib/locale/"
    fi
    archive "$root" "$base.partial"
    mv "$base.partial" "$base"
    rm -rf "$root"
    prune 'base-*.cpio' 1
}

# The tests/fixtures folder of the checkout a program was built in (the nearest one above it),
# which test binaries read by the absolute path compiled into them.
fixtures_of() {
    local dir
    dir=$(dirname "$1")
    while [[ $dir != / ]]; do
        [[ -d $dir/tests/fixtures ]] && echo "$dir/tests/fixtures" && return
        dir=$(dirname "$dir")
    done
}

# The program and its libraries, keyed by their checksums, so a rerun of the same build reuses
# the archive. The tests' fixtures come along at their path in the source tree.
prepare_payload() {
    local program=$1 key libraries
    libraries=$(ldd "$program" 2>/dev/null | awk '$2 == "=>" && $3 ~ /^\// { print $3 } $1 ~ /^\// { print $1 }') || true
    # shellcheck disable=SC2086 # one path a line, none with spaces
    key=$( (
        sha "$program" $libraries
        fixtures=$(fixtures_of "$program")
        [[ -z $fixtures ]] || find "$fixtures" -type f -exec sha256sum {} +
    ) | sha)
    payload=$cache/payload-$key.cpio
    [[ -f $payload ]] && return
    say "building the image of $program"
    local root=$work/payload
    mkdir -p "$root"
    add_program "$root" "$program"
    local fixtures
    fixtures=$(fixtures_of "$program")
    if [[ -n $fixtures ]]; then
        mkdir -p "$root$(dirname "$fixtures")"
        cp -r "$fixtures" "$root$fixtures"
    fi
    archive "$root" "$payload.partial"
    mv "$payload.partial" "$payload"
    rm -rf "$root"
    prune 'payload-*.cpio' 3
}

# Prepares the kernel, the base image and, given a program, its payload, one run at a time.
payload=
prepare() {
    flock 9
    prepare_kernel
    prepare_base
    [[ -z ${1:-} ]] || prepare_payload "$1"
    flock -u 9
}

# What KVM did on this host since it booted, for every checkout alike: "no" once a KVM run failed
# where TCG then ran the same guest. `auto` goes straight to TCG then; `kvm` tries again anyway.
kvm_verdict() {
    echo "${TMPDIR:-/tmp}/vivid-vm-kvm-$(cat /proc/sys/kernel/random/boot_id)"
}
kvm_failed_here() {
    local verdict
    verdict=$(kvm_verdict)
    find "${TMPDIR:-/tmp}" -maxdepth 1 -name 'vivid-vm-kvm-*' ! -name "${verdict##*/}" -delete \
        2>/dev/null || true
    [[ -f $verdict && $(cat "$verdict") == no ]]
}

# Boots the machine once under the accelerator given (tcg or kvm), echoes the console to stdout
# and keeps it in $work/console.log. Sets guest_status from the exit marker and `elapsed`, or
# returns 1 with why in `reason`.
run_machine() {
    local kind=$1 acceleration raw=$work/console.raw
    case $kind in
    tcg) acceleration=(-accel tcg -cpu max) ;;
    kvm) acceleration=(-accel kvm -cpu host) ;;
    esac
    say "booting $kind with ${cpus} CPUs, ${memory} MiB, vivid $vivid_options$([[ $with_gadget != 1 ]] || echo ", the UVC gadget"); at most ${limit} s, ${silence} s of silence"
    reason=
    : >"$raw"
    local started=$SECONDS
    # In the background, so the console can be watched while it runs. It starts no processes of
    # its own, so its PID is all there is to stop; the exit trap stops it when the run is
    # interrupted.
    # no_timer_check: a busy host makes the emulated timer look broken to the kernel's check.
    qemu-system-x86_64 "${acceleration[@]}" -smp "$cpus" -m "$memory" \
        -nodefaults -no-user-config -display none -no-reboot -serial stdio \
        -kernel "$kernel_dir/vmlinux" -initrd "$work/initrd" \
        -append "console=ttyS0 quiet panic=-1 no_timer_check rdinit=/init" \
        </dev/null >"$raw" 2>&1 &
    qemu_pid=$!
    # Echoes the console as it comes, line by line, without the serial line's carriage returns;
    # tail ends once qemu has gone and it has read the rest.
    tail -n +1 -s 0.5 --pid="$qemu_pid" -f "$raw" | sed -u 's/\r//g' &
    echo_pid=$!

    # Once a second: the console file tells all, so there is nothing to poll faster for.
    local now size heard=0 heard_at=$SECONDS died waited
    while kill -0 "$qemu_pid" 2>/dev/null; do
        sleep 1
        now=$SECONDS
        if grep -aq "$marker [0-9]*@@" "$raw"; then
            # init powers off right after the marker; a machine that lingers has still told.
            for ((waited = 0; waited < 10; waited++)); do
                kill -0 "$qemu_pid" 2>/dev/null || break
                sleep 1
            done
            break
        fi
        # qemu prints these when KVM gives up on the guest, and then hangs instead of exiting.
        # Under TCG the same words could only be the program's own.
        if [[ $kind == kvm ]] &&
            died=$(grep -aoE -m1 'KVM internal error|emulation failure|KVM: entry failed' "$raw"); then
            reason="guest died: $died"
            break
        fi
        if ((now - started >= limit)); then
            say "the machine did not finish within ${limit} s"
            reason="no marker within ${limit} s"
            break
        fi
        # What the guest printed: qemu's own warnings are no sign of life from the guest.
        size=$({ grep -av '^qemu-system-x86_64:' "$raw" || true; } | wc -c)
        if ((size != heard)); then
            heard=$size
            heard_at=$now
        fi
        if ((heard == 0 && now - started >= first_line)); then
            reason="no output within ${first_line} s of the start"
            break
        fi
        if ((heard > 0 && now - heard_at >= silence)); then
            reason="no output for ${silence} s"
            break
        fi
    done
    [[ -z $reason ]] || say "stopping the machine: $reason"
    stop_machine
    wait "$echo_pid" 2>/dev/null || true
    echo_pid=
    # A console cut off mid-line would have the runner's next line glued to it.
    if [[ -n $(tail -c 1 "$raw" | tr -d '\r\n') ]]; then
        echo
    fi
    tr -d '\r' <"$raw" >"$work/console.log"
    cp "$work/console.log" "$cache/last-console.log"
    elapsed=$((SECONDS - started))
    [[ -z $reason ]] || return 1
    guest_status=$(sed -n "s/.*$marker \([0-9]*\)@@.*/\1/p" "$work/console.log" | tail -1)
    if [[ -z $guest_status ]]; then
        local complaint
        complaint=$(grep -a '^qemu-system-x86_64:' "$work/console.log" | tail -1) || true
        reason="no marker: qemu exited with $qemu_status${complaint:+ ($complaint)}"
        return 1
    fi
}

# Boots the machine with the base image, an optional payload and the command, under KVM first
# where asked and under TCG once more if the guest fails there; sets guest_status to the
# command's status. Exits when no boot gives a status.
boot() {
    local command_line=$1 payload_archive=${2:-}
    local root=$work/run
    mkdir -p "$root/vm"
    echo "$command_line" >"$root/vm/command"
    echo "$vivid_options" >"$root/vm/vivid-options"
    [[ $with_gadget != 1 ]] || touch "$root/vm/gadget"
    archive "$root" "$work/run.cpio"
    # shellcheck disable=SC2086 # the payload is one path or none
    cat "$base" $payload_archive "$work/run.cpio" >"$work/initrd"

    local attempts=(tcg)
    case $accel in
    kvm) attempts=(kvm tcg) ;;
    auto)
        if kvm_failed_here; then
            say "a KVM run failed on this host since it booted; TCG only"
        else
            attempts=(kvm tcg)
        fi
        ;;
    esac
    local attempt kind kvm_failed=
    for ((attempt = 0; attempt < ${#attempts[@]}; attempt++)); do
        kind=${attempts[attempt]}
        if run_machine "$kind"; then
            say "the machine ran ${elapsed} s under $kind; the program exited with $guest_status"
            # Only now is it KVM's fault: TCG ran the same guest.
            [[ -z $kvm_failed ]] || echo no >"$(kvm_verdict)" || true
            return 0
        fi
        [[ $kind != kvm ]] || kvm_failed=1
        ((attempt + 1 < ${#attempts[@]})) || break
        say "retrying under ${attempts[attempt + 1]}: $reason"
    done
    die "$reason"
}

# "1 test", "2 tests".
count_tests() {
    if (($1 == 1)); then echo "1 test"; else echo "$1 tests"; fi
}

# A GoogleTest run passes only if it exited 0, ran at least one test and skipped none: inside
# the machine the driver is there, so a skipped test means a real target was not reached.
check_gtest_summary() {
    local log=$1 passed skipped
    passed=$(sed -n 's/^\[  PASSED  \] \([0-9][0-9]*\) tests\{0,1\}\..*/\1/p' "$log" | tail -1)
    skipped=$(sed -n 's/^\[  SKIPPED \] \([0-9][0-9]*\) tests\{0,1\}.*/\1/p' "$log" | tail -1)
    if [[ -z $passed || $passed == 0 ]]; then
        die "no test ran inside the machine (check the --gtest_filter)"
    fi
    if [[ -n $skipped && $skipped != 0 ]]; then
        die "$(count_tests "$skipped") skipped inside the machine, where every target is there"
    fi
    say "tests passed inside the machine: $passed"
}

# Why a program exited non-zero, in a few words: for a GoogleTest run, how many tests failed.
program_failure() {
    local status=$1 count
    if [[ $mode == gtest ]]; then
        count=$(sed -n 's/^\[  FAILED  \] \([0-9][0-9]*\) tests\{0,1\}, listed below.*/\1/p' \
            "$work/console.log" | tail -1)
        if [[ -n $count ]]; then
            echo "$(count_tests "$count") failed"
            return
        fi
    fi
    echo "the program exited with $status"
}

# Passes the program's status on, naming it as the failure when it is one.
finish_with_status() {
    if ((guest_status != 0)); then
        failed "$(program_failure "$guest_status")"
        exit "$guest_status"
    fi
}

# Quotes each word for the guest's shell.
quote_words() {
    local word quoted=
    for word in "$@"; do
        quoted+="'${word//\'/\'\\\'\'}' "
    done
    echo "$quoted"
}

(($# >= 1)) || usage
mode=$1
shift
case $mode in
run | gtest)
    (($# >= 1)) || usage
    program=$(realpath "$1")
    shift
    [[ -x $program ]] || die "$program is not an executable"
    prepare "$program"
    boot "$(quote_words "$program" "$@")" "$payload"
    finish_with_status
    [[ $mode == run ]] || check_gtest_summary "$work/console.log"
    ;;
shell-check)
    tavrin=$(realpath "${1:-$repo/build/src/tavrin}")
    [[ -x $tavrin ]] || die "no $tavrin: build it first (cmake --build build)"
    prepare "$tavrin"
    boot "$(quote_words sh /vm/shell-check.sh "$tavrin")" "$payload"
    finish_with_status
    ;;
probe)
    prepare
    boot "sh /vm/probe.sh"
    finish_with_status
    ;;
*) usage ;;
esac
