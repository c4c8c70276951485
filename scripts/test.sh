#!/usr/bin/env bash
# Installs what is needed, then builds and runs every test twice: in a normal build and with
# AddressSanitizer and UndefinedBehaviorSanitizer. Before that, the parsers of untrusted USB
# input are fuzzed for a few seconds. The sound server contract tests run against a private
# PulseAudio and, where PipeWire is installed, a private PipeWire (one that is installed and
# doesn't come up fails the run); the display contract tests against a private Xorg with the
# dummy video driver; all stopped at the end. The V4L2 contract suite also runs against the
# vivid driver in a virtual machine (scripts/vivid-vm.sh), which fails the run unless at least
# one test ran there and none was skipped; before it, the machine's runner is tested and the
# application is run in it. The UVC controller's contract suite then runs in the same machine
# against a real UVC webcam as the kernel sees it: a UVC gadget on the machine's own USB bus,
# bound to uvcvideo; a gadget that doesn't come up fails the run. A failed step in the machine
# ends the run with one line naming the step and why it failed. Each stage's time is printed
# when it ends, and all of them at the end. Run from anywhere, as root on Debian 12.
set -euo pipefail
cd "$(dirname "$0")/.."

# Each stage's name and time, printed as it ends and together on the way out, so a slow or
# failing run shows where its time went.
stage_name=
stage_started=
stage_times=()
end_stage() {
  [[ -n $stage_name ]] || return 0
  local took=$((SECONDS - stage_started))
  echo "== stage $stage_name took $took s"
  stage_times+=("$(printf '%5d s  %s' "$took" "$stage_name")")
  stage_name=
}
# stage NAME [WHAT]: NAME is short, for the times; WHAT says more as the stage starts.
stage() {
  end_stage
  stage_name=$1
  stage_started=$SECONDS
  echo "== ${2:-$1}"
}

# What failed, said once as the run's last line: a VM step names its reason, any other stage
# at least itself.
failure=
servers=
xserver=
on_exit() {
  local status=$? failed_stage=$stage_name
  if [[ -n $servers ]]; then
    bash scripts/sound-servers.sh stop "$servers"
    rm -rf "$servers"
  fi
  if [[ -n $xserver ]]; then
    bash scripts/x-server.sh stop "$xserver"
    rm -rf "$xserver"
  fi
  end_stage
  echo "== time per stage ($SECONDS s in all):"
  printf '%s\n' "${stage_times[@]}"
  if ((status != 0)); then
    echo "== FAILED ${failure:-stage \"$failed_stage\" (exit status $status)}"
  fi
}
trap on_exit EXIT

# Runs one step in the vivid machine as a stage of its own. The runner writes why it failed to
# VIVID_VM_REASON_FILE, which becomes the run's last line.
vm_step() {
  local name=$1 reason_file status=0 reason
  shift
  stage "$name"
  reason_file=$(mktemp)
  VIVID_VM_REASON_FILE=$reason_file "$@" || status=$?
  reason=$(cat "$reason_file")
  rm -f "$reason_file"
  if ((status != 0)); then
    failure="step \"$name\": ${reason:-exit status $status}"
    exit 1
  fi
}

stage "dependencies" "installing what is needed"
bash scripts/install-deps.sh

jobs=$(nproc)

stage "fuzzing" "fuzzing the USB descriptor walk, the sysfs descriptors parser, the location-ID parser, the EDID parser and the scenario parser briefly"
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

stage "servers" "starting private sound servers and a private X server for the contract tests"
servers=$(mktemp -d)
xserver=$(mktemp -d)
# Each start's output is taken apart from its eval, so a server that fails to start stops the run:
# eval "$(...)" would run nothing and pass.
server_env=$(bash scripts/sound-servers.sh start "$servers")
eval "$server_env"
server_env=$(bash scripts/x-server.sh start "$xserver")
eval "$server_env"
# A server that was started must pass: its tests may not skip.
export TAVRIN_TEST_REQUIRE_SERVERS=$TAVRIN_TEST_REQUIRE_SERVERS,xorg

run_suite() {
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja "$@"
  cmake --build "$dir" -j "$jobs"
  (cd "$dir" && ctest --output-on-failure -j "$jobs" --timeout 300)
}

stage "normal build and tests" "normal build"
run_suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo

# The vivid virtual machine: its runner, the driver and the application, then the V4L2 contract,
# then the UVC contract against the machine's UVC gadget, bound to uvcvideo.
vm_step "the vivid machine's runner" bash scripts/vivid-vm-test.sh
vm_step "the application in the vivid machine" bash scripts/vivid-vm.sh shell-check build/src/tavrin
vm_step "V4L2 contract in the vivid machine" bash scripts/vivid-vm.sh gtest \
  build/tests/tavrin_contract_tests --gtest_filter='Targets/V4L2CameraContract.*/vivid'
vm_step "UVC contract against the vivid machine's UVC gadget" env VIVID_VM_GADGET=1 \
  bash scripts/vivid-vm.sh gtest build/tests/tavrin_contract_tests \
  --gtest_filter='Targets/UvcControlContract.*/gadget*'

stage "install check" "installation: menu entry, icon, manual page, and the README's CI example"
bash scripts/check-install.sh build

stage "ASan+UBSan build and tests" "AddressSanitizer + UndefinedBehaviorSanitizer build"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_init_order=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
run_suite build-asan -DCMAKE_BUILD_TYPE=Debug -DTAVRIN_SANITIZE=ON -DTAVRIN_BUILD_BENCHMARKS=OFF

# A seeded random user over the window, under the sanitizers: a crash prints the seed and the
# last inputs. TAVRIN_MONKEY_SECONDS and TAVRIN_MONKEY_SEED run it longer or otherwise by hand.
stage "ui monkey" "random clicks, drags, wheel turns and keys over the window for ${TAVRIN_MONKEY_SECONDS:-60} s"
QT_QPA_PLATFORM=offscreen build-asan/tests/tavrin_monkey --seed "${TAVRIN_MONKEY_SEED:-2026}" \
  --seconds "${TAVRIN_MONKEY_SECONDS:-60}"
