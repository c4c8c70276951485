#!/usr/bin/env bash
# Tests scripts/vivid-vm.sh itself, so a CI step through it can be trusted: every word of the
# command reaches the program unchanged, the program's exit status comes back, the machine runs
# under TCG unless KVM is asked for, the UVC gadget comes up after vivid, a machine that does not
# finish in time fails, a console that goes silent stops the machine early while a program that
# only prints now and then runs on, a KVM whose guest dies is retried under TCG well within the
# limit (and a program that fails under a working KVM is not), and a GoogleTest run that ran no
# test, skipped one or failed some fails, naming why. KVM comes from a stand-in qemu
# (vivid-vm/fake-kvm), so these tests mean the same on a host with or without /dev/kvm. Run from
# anywhere, as root, after scripts/install-deps.sh. A failure is also written, in one line, to
# the file VIVID_VM_REASON_FILE names, if set.
set -euo pipefail
cd "$(dirname "$0")/.."

reason_file=${VIVID_VM_REASON_FILE:-}
# The runs below test the runner's defaults, and fail on purpose: none of the caller's settings,
# and no failure of theirs in the caller's reason file.
unset VIVID_VM_ACCEL VIVID_VM_TIMEOUT VIVID_VM_SILENCE VIVID_VM_FIRST_LINE VIVID_VM_GADGET \
    VIVID_VM_REASON_FILE FAKE_KVM

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
out=$work/out
# The runner keeps KVM's verdict per boot under TMPDIR: a private one keeps the stand-in's broken
# KVM out of the host's verdict, and the host's out of these tests.
export TMPDIR=$work/tmp
mkdir -p "$TMPDIR"
fake_kvm=$PWD/scripts/vivid-vm/fake-kvm
started=$SECONDS
passed=0
failed=0
failures=()

expect() {
    local what=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
        echo "ok: $what"
    else
        failed=$((failed + 1))
        failures+=("$what")
        echo "FAILED: $what"
        sed 's/^/    /' "$out"
    fi
}

# The run's last line, where the runner names a failure.
last_line_is() {
    [[ $(tail -1 "$out") == "$1" ]]
}
lacks() {
    ! grep -q "$1" "$out"
}

# Runs the runner with the given environment words and arguments, output in $out; sets status
# and took (seconds).
vm() {
    local since=$SECONDS
    status=0
    env "$@" >"$out" 2>&1 || status=$?
    took=$((SECONDS - since))
}
runner=(bash scripts/vivid-vm.sh)

# The words a shell would mangle: spaces, a quote, a dollar, an empty word, a glob.
# shellcheck disable=SC2016 # the guest's shell expands these, not this one
vm "${runner[@]}" run /bin/busybox sh -c 'printf "<%s>" "$@"; echo; exit 7' \
    guest "two words" "it's" '$HOME' '' '*'
expect "the program's exit status comes back" test "$status" = 7
expect "each word reaches the program unchanged" grep -qF "<two words><it's><\$HOME><><*>" "$out"
expect "the driver was loaded first" grep -q '^vivid-vm: vivid loaded' "$out"
expect "a run that asks for nothing boots TCG" grep -q '^vivid-vm: booting tcg ' "$out"
expect "and never KVM" lacks 'booting kvm'
expect "and says TCG ran it" grep -q '^vivid-vm: the machine ran [0-9]* s under tcg; the program exited with 7$' "$out"
expect "and names the failing program last" last_line_is "vivid-vm: FAILED: the program exited with 7"

# shellcheck disable=SC2016 # the guest's shell expands these, not this one
vm VIVID_VM_GADGET=1 "${runner[@]}" run /bin/busybox sh -c \
    'echo "gadget $TAVRIN_UVC_GADGET"; cat /sys/class/video4linux/video0/name'
expect "a run with the UVC gadget starts it" grep -q '^gadget 1$' "$out"
expect "and vivid keeps the first node" grep -q '^vivid-000-vid-cap$' "$out"
expect "and the program's status comes back" test "$status" = 0

# The program outlasts the limit whatever the machine's speed: an idle host boots in under 5 s.
vm VIVID_VM_TIMEOUT=5 "${runner[@]}" run /bin/busybox sleep 60
expect "a machine that does not finish in time fails" test "$status" != 0
expect "and says so" grep -q 'did not finish within 5 s' "$out"
expect "and names it last" last_line_is "vivid-vm: FAILED: no marker within 5 s"

# After "vivid loaded", init prints nothing until the program ends, and the program is silent.
vm VIVID_VM_SILENCE=5 "${runner[@]}" run /bin/busybox sleep 60
expect "a guest that goes silent fails" test "$status" != 0
expect "and says why, last" last_line_is "vivid-vm: FAILED: no output for 5 s"
expect "and is stopped long before its program would end ($took s)" test "$took" -lt 45

# Three lines 4 s apart: silent for less than the limit each time, for longer than it in all.
# shellcheck disable=SC2016 # the guest's shell expands it, not this one
vm VIVID_VM_SILENCE=8 "${runner[@]}" run /bin/busybox sh -c \
    'for line in 1 2 3; do sleep 4; echo "line $line"; done'
expect "a program that prints now and then runs to its end" test "$status" = 0
expect "and prints all it had" grep -q '^line 3$' "$out"

# A broken KVM, as on a host where the guest dies inside it: auto tries it on a host where no
# KVM run failed yet, and the guest is booted again under TCG.
vm PATH="$fake_kvm:$PATH" VIVID_VM_ACCEL=auto "${runner[@]}" run /bin/busybox sh -c 'echo "program ran"; exit 3'
expect "auto boots KVM where no KVM run failed yet" grep -q '^vivid-vm: booting kvm ' "$out"
expect "and retries a guest that died there under TCG" grep -q \
    '^vivid-vm: retrying under tcg: guest died: KVM internal error$' "$out"
expect "where the program's status comes back" test "$status" = 3
expect "and the program ran once" test "$(grep -c '^program ran$' "$out")" = 1

# The same TMPDIR now says KVM failed here; asking for KVM still tries it.
vm PATH="$fake_kvm:$PATH" VIVID_VM_ACCEL=kvm "${runner[@]}" run /bin/busybox sh -c 'echo "program ran"; exit 3'
expect "kvm boots KVM even where a KVM run failed" grep -q '^vivid-vm: booting kvm ' "$out"
expect "and retries under TCG, naming why" grep -q \
    '^vivid-vm: retrying under tcg: guest died: KVM internal error$' "$out"
expect "and says TCG ran it" grep -q '^vivid-vm: the machine ran [0-9]* s under tcg; the program exited with 3$' "$out"
expect "where the program's status comes back" test "$status" = 3
expect "well within the limit ($took s)" test "$took" -lt 120

vm PATH="$fake_kvm:$PATH" VIVID_VM_ACCEL=auto "${runner[@]}" run /bin/busybox true
expect "auto boots TCG where a KVM run failed" grep -q '^vivid-vm: booting tcg ' "$out"
expect "and only TCG" lacks 'booting kvm'
expect "and passes" test "$status" = 0

# A KVM that works: a program that fails there has given its status, which is no reason to boot
# again.
vm PATH="$fake_kvm:$PATH" FAKE_KVM=works VIVID_VM_ACCEL=kvm "${runner[@]}" run /bin/busybox sh -c 'exit 4'
expect "a program that fails under a working KVM has run under it" \
    grep -q '^vivid-vm: the machine ran [0-9]* s under kvm; the program exited with 4$' "$out"
expect "and is not retried" lacks 'retrying'
expect "and its status comes back" test "$status" = 4

vm "${runner[@]}" gtest /bin/busybox echo '[  PASSED  ] 0 tests.'
expect "a test run that ran no test fails" test "$status" != 0
expect "and says so" grep -q '^vivid-vm: FAILED: no test ran inside the machine' "$out"

vm "${runner[@]}" gtest /bin/busybox printf '[  PASSED  ] 3 tests.\n[  SKIPPED ] 1 test, listed below:\n'
expect "a test run that skipped a test fails" test "$status" != 0
expect "and says so" grep -q '^vivid-vm: FAILED: 1 test skipped inside the machine' "$out"

vm VIVID_VM_REASON_FILE="$work/reason" "${runner[@]}" gtest /bin/busybox sh -c \
    "printf '[  PASSED  ] 1 test.\n[  FAILED  ] 2 tests, listed below:\n'; exit 1"
expect "a test run with failed tests fails" test "$status" = 1
expect "and names how many, last" last_line_is "vivid-vm: FAILED: 2 tests failed"
expect "and in the reason file" test "$(cat "$work/reason")" = "2 tests failed"

echo "vivid-vm: $passed passed, $failed failed, in $((SECONDS - started)) s"
if ((failed != 0)); then
    [[ -z $reason_file ]] || echo "$failed of the runner's self-tests failed, first: ${failures[0]}" >"$reason_file"
    exit 1
fi
