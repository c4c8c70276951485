#!/usr/bin/env bash
# Installs what is needed, builds the application and runs it with any arguments given.
# Run from anywhere, as root on Debian 12.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)" --target tavrin
exec ./build/src/tavrin "$@"
