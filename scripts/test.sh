#!/usr/bin/env bash
# The quick check: installs what is missing, builds the programs and every test
# program (warnings as errors, the desktop program included; the build fails on
# an include crossing the layers) and runs the whole test suite, the window
# tests on Qt's offscreen platform. No benchmarks, no sanitizers, no fuzzers:
# scripts/check.sh runs those (and this first).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
JOBS=${JOBS:-2}

# Optimised as the programs ship, without debug information: it took some 40 %
# of the compile time and most of the link time of the test programs.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" \
  -DCORVANES_WERROR=ON -DCORVANES_GUI=ON -DCORVANES_BENCH=OFF
cmake --build build -j"$JOBS"
ctest --test-dir build --output-on-failure -j"$JOBS"
