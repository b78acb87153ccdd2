#!/usr/bin/env bash
# Builds and runs the benchmarks (release build in build-bench/).
#   bench/run.sh [RECORDS]
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVANES_BENCH=ON -DCORVANES_TESTS=OFF >/dev/null
cmake --build build-bench -j"${JOBS:-2}" --target bench_read
mkdir -p build-bench/bench-data
./build-bench/bench/bench_read "${1:-1000000}" build-bench/bench-data
# Statistics over the 50-agency demo installation (generated once, then kept).
if [ "${STATS:-0}" = 1 ]; then
  cmake --build build-bench -j"${JOBS:-2}" --target stats_bench
  ./build-bench/bench/stats_bench "${STATS_DIR:-/work/bench-data/stats-50}"
fi
