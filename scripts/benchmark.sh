#!/usr/bin/env bash
# Builds and runs the benchmarks (apart from the tests, which never assert timings).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)" --target tavrin_benchmarks
exec ./build/benchmarks/tavrin_benchmarks "$@"
