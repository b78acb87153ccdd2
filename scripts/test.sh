#!/usr/bin/env bash
# Installs, builds and runs the whole test suite: the normal build (warnings as
# errors, with the desktop program and its window tests on the offscreen
# platform; it fails on an include crossing the layers), the engine's, util's
# and data's tests again under address and undefined-behaviour sanitizers, and
# a short bounded run of each fuzzer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
JOBS=${JOBS:-2}

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANES_WERROR=ON -DCORVANES_GUI=ON -DCORVANES_BENCH=ON
cmake --build build -j"$JOBS"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCORVANES_WERROR=ON -DCORVANES_SANITIZE=ON
cmake --build build-asan -j"$JOBS" --target paradox_tests util_tests data_tests
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan -L '^(paradox|util|data)$' --output-on-failure -j"$JOBS"

if [ -f fuzz/CMakeLists.txt ]; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCORVANES_FUZZ=ON -DCORVANES_TESTS=OFF
  cmake --build build-fuzz -j"$JOBS"
  bash fuzz/run.sh build-fuzz "${FUZZ_SECONDS:-15}"
fi

# A clone without the samples beside it: the sample-reading test programs
# once more with an empty samples folder; every test passes or skips.
NO_SAMPLES=$(mktemp -d)
if ! CORVANES_SAMPLES_DIR="$NO_SAMPLES" ctest --test-dir build -L '^(paradox|util|data)$' --output-on-failure \
    -j"$JOBS" >"$NO_SAMPLES.log" 2>&1; then
  cat "$NO_SAMPLES.log"
  echo "tests fail when the samples are absent" >&2
  exit 1
fi
echo "without the samples: $(grep 'tests passed' "$NO_SAMPLES.log")"
rm -rf "$NO_SAMPLES" "$NO_SAMPLES.log"

# The full suite last, so its summary closes the output.
ctest --test-dir build --output-on-failure -j"$JOBS"
