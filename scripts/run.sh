#!/usr/bin/env bash
# Installs what is needed, builds the application and runs it with any arguments given: the
# window, or the console modes with --list or --events. Run from anywhere, as root on Debian 12.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)" --target tavrin
console=false
for argument in "$@"; do
  case $argument in --list | --events | --help | -h) console=true ;; esac
done
if ! $console && [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} && -z ${QT_QPA_PLATFORM:-} ]]; then
  echo "run.sh: no display here (neither DISPLAY nor WAYLAND_DISPLAY is set), so the window" \
    "can't open; showing the devices and their events in the console instead." >&2
  exec ./build/src/tavrin --list --events --seconds 12 "$@"
fi
exec ./build/src/tavrin "$@"
