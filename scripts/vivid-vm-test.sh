#!/usr/bin/env bash
# Tests scripts/vivid-vm.sh itself, so a CI step through it can be trusted: every word of the
# command reaches the program unchanged, the program's exit status comes back, the UVC gadget
# comes up after vivid, a machine that does not finish in time fails, and a GoogleTest run that
# ran no test fails. Run from anywhere, as root, after scripts/install-deps.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

out=$(mktemp)
trap 'rm -f "$out"' EXIT
passed=0
failed=0

expect() {
    local what=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
        echo "ok: $what"
    else
        failed=$((failed + 1))
        echo "FAILED: $what"
        sed 's/^/    /' "$out"
    fi
}

# The words a shell would mangle: spaces, a quote, a dollar, an empty word, a glob.
status=0
# shellcheck disable=SC2016 # the guest's shell expands these, not this one
bash scripts/vivid-vm.sh run /bin/busybox sh -c 'printf "<%s>" "$@"; echo; exit 7' \
    guest "two words" "it's" '$HOME' '' '*' >"$out" 2>&1 || status=$?
expect "the program's exit status comes back" test "$status" = 7
expect "each word reaches the program unchanged" grep -qF "<two words><it's><\$HOME><><*>" "$out"
expect "the driver was loaded first" grep -q '^vivid-vm: vivid loaded' "$out"

status=0
# shellcheck disable=SC2016 # the guest's shell expands these, not this one
VIVID_VM_GADGET=1 bash scripts/vivid-vm.sh run /bin/busybox sh -c \
    'echo "gadget $TAVRIN_UVC_GADGET"; cat /sys/class/video4linux/video0/name' >"$out" 2>&1 || status=$?
expect "a run with the UVC gadget starts it" grep -q '^gadget 1$' "$out"
expect "and vivid keeps the first node" grep -q '^vivid-000-vid-cap$' "$out"
expect "and the program's status comes back" test "$status" = 0

status=0
# The program outlasts the limit whatever the machine's speed: an idle host boots in under 5 s.
VIVID_VM_TIMEOUT=5 bash scripts/vivid-vm.sh run /bin/busybox sleep 60 >"$out" 2>&1 || status=$?
expect "a machine that does not finish in time fails" test "$status" != 0
expect "and says so" grep -q 'did not finish within 5 s' "$out"

status=0
bash scripts/vivid-vm.sh gtest /bin/busybox echo '[  PASSED  ] 0 tests.' >"$out" 2>&1 || status=$?
expect "a test run that ran no test fails" test "$status" != 0

status=0
bash scripts/vivid-vm.sh gtest /bin/busybox printf '[  PASSED  ] 3 tests.\n[  SKIPPED ] 1 test, listed below:\n' \
    >"$out" 2>&1 || status=$?
expect "a test run that skipped a test fails" test "$status" != 0

echo "vivid-vm: $passed passed, $failed failed"
((failed == 0))
