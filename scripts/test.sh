#!/usr/bin/env bash
# Installs what is needed, then builds and runs every test twice: in a normal build and with
# AddressSanitizer and UndefinedBehaviorSanitizer. Before that, the parsers of untrusted USB
# input are fuzzed for a few seconds. The sound server contract tests run against a private
# PulseAudio and, where it starts, a private PipeWire; the display contract tests against a
# private Xorg with the dummy video driver; all stopped at the end. The V4L2 contract suite also
# runs against the vivid driver in a virtual machine (scripts/vivid-vm.sh), which fails the run
# unless at least one test ran there and none was skipped; before it, the machine's runner is
# tested and the application is run in it. The UVC controller's contract suite then runs in the
# same machine against a real UVC webcam as the kernel sees it: a UVC gadget on the machine's
# own USB bus, bound to uvcvideo; a gadget that doesn't come up fails the run. Run from anywhere,
# as root on Debian 12.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

jobs=$(nproc)

echo "== fuzzing the USB descriptor walk, the sysfs descriptors parser, the location-ID parser, the EDID parser and the scenario parser briefly"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTAVRIN_FUZZ=ON -DTAVRIN_BUILD_TESTS=OFF -DTAVRIN_BUILD_BENCHMARKS=OFF
cmake --build build-fuzz -j "$jobs" --target uvc_descriptor_fuzzer scenario_fuzzer edid_fuzzer
for target in uvc:uvc_descriptor_fuzzer scenario:scenario_fuzzer; do
  corpus=$(mktemp -d)
  cp fuzz/corpus/"${target%%:*}"/* "$corpus"/
  ./build-fuzz/fuzz/"${target#*:}" -max_total_time=5 -print_final_stats=1 "$corpus"
  rm -rf "$corpus"
done
./build-fuzz/fuzz/edid_fuzzer -max_total_time=5 -print_final_stats=1

echo "== starting private sound servers and a private X server for the contract tests"
servers=$(mktemp -d)
xserver=$(mktemp -d)
trap 'bash scripts/sound-servers.sh stop "$servers"; bash scripts/x-server.sh stop "$xserver";
  rm -rf "$servers" "$xserver"' EXIT
eval "$(bash scripts/sound-servers.sh start "$servers")"
eval "$(bash scripts/x-server.sh start "$xserver")"
# A server that was started must pass: its tests may not skip.
export TAVRIN_TEST_REQUIRE_SERVERS=$TAVRIN_TEST_REQUIRE_SERVERS,xorg

run_suite() {
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja "$@"
  cmake --build "$dir" -j "$jobs"
  (cd "$dir" && ctest --output-on-failure -j "$jobs" --timeout 300)
}

echo "== normal build"
run_suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo

echo "== the vivid virtual machine: its runner, the driver and the application, then the V4L2 contract"
bash scripts/vivid-vm-test.sh
bash scripts/vivid-vm.sh shell-check build/src/tavrin
bash scripts/vivid-vm.sh gtest build/tests/tavrin_contract_tests \
  --gtest_filter='Targets/V4L2CameraContract.*/vivid'
echo "== the UVC contract against the vivid machine's UVC gadget, bound to uvcvideo"
VIVID_VM_GADGET=1 bash scripts/vivid-vm.sh gtest build/tests/tavrin_contract_tests \
  --gtest_filter='Targets/UvcControlContract.*/gadget*'

echo "== installation: menu entry, icon, manual page, and the README's CI example"
bash scripts/check-install.sh build

echo "== AddressSanitizer + UndefinedBehaviorSanitizer build"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_init_order=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
run_suite build-asan -DCMAKE_BUILD_TYPE=Debug -DTAVRIN_SANITIZE=ON -DTAVRIN_BUILD_BENCHMARKS=OFF
