#!/usr/bin/env bash
# The full check (what .ci/run calls): the quick check (scripts/test.sh), then
# the benchmarks built, the engine-reading tests once more without the sample
# tables, the engine's, util's, data's, transfers' and statistics' tests under
# the address and undefined-behaviour sanitizers, the transfers', statistics'
# and windows' tests under the thread sanitizer, a short run of each fuzzer,
# and the Windows build and tests under Wine (scripts/test-windows.sh).
# Each sanitizer build compiles only the test programs it runs (and the
# programs those start). The time of each step is printed at the end.
#   STEPS="asan tsan" bash scripts/check.sh   runs only the steps named
#   (quick bench nosamples asan tsan fuzz windows).
# The ThreadSanitizer step's suppressions (scripts/tsan.supp) cover reports
# inside Qt only, which is not built with the sanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
JOBS=${JOBS:-2}
STEPS=${STEPS:-quick bench nosamples asan tsan fuzz windows}
TIMES=()

step() {
  local name=$1
  shift
  case " $STEPS " in *" $name "*) ;; *) return 0 ;; esac
  echo "=== $name"
  local t0=$SECONDS
  "$@"
  TIMES+=("$name $((SECONDS - t0))s")
}

quick() { bash scripts/test.sh; }

bench() {
  # Only the benchmark programs are added to the quick check's build.
  cmake -S . -B build -DCORVANES_BENCH=ON >/dev/null
  cmake --build build -j"$JOBS"
}

nosamples() {
  # A clone without the samples beside it: every test of the programs that
  # read them passes or skips.
  local dir
  dir=$(mktemp -d)
  if ! CORVANES_SAMPLES_DIR="$dir" ctest --test-dir build -L '^(paradox|util|data)$' --output-on-failure \
      -j"$JOBS" >"$dir.log" 2>&1; then
    cat "$dir.log"
    echo "tests fail when the samples are absent" >&2
    exit 1
  fi
  echo "without the samples: $(grep 'tests passed' "$dir.log")"
  rm -rf "$dir" "$dir.log"
}

asan() {
  # -O1 with the assertions kept: quicker to build than -O2, quicker to run than
  # -O0; line tables only (-g1), enough for the reports' file and line.
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" \
    -DCORVANES_WERROR=ON -DCORVANES_SANITIZE=ON
  cmake --build build-asan -j"$JOBS" --target paradox_tests util_tests data_tests transfer_tests stats_tests
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan -L '^(paradox|util|data|transfer|stats)$' --output-on-failure -j"$JOBS"
}

tsan() {
  # -O1, as ThreadSanitizer advises, the assertions kept, line tables only.
  cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" \
    -DCORVANES_WERROR=ON -DCORVANES_TSAN=ON \
    -DCORVANES_GUI=ON
  cmake --build build-tsan -j"$JOBS" --target transfer_tests stats_tests gui_tests
  TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/scripts/tsan.supp" \
    ctest --test-dir build-tsan -L '^(transfer|stats|gui)$' --output-on-failure -j"$JOBS"
}

fuzz() {
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1" -DCORVANES_FUZZ=ON -DCORVANES_TESTS=OFF
  local targets
  targets=$(for f in fuzz/fuzz_*.cpp; do basename "$f" .cpp; done)
  # shellcheck disable=SC2086
  cmake --build build-fuzz -j"$JOBS" --target $targets
  bash fuzz/run.sh build-fuzz "${FUZZ_SECONDS:-15}"
}

windows() { bash scripts/test-windows.sh; }

step quick quick
step bench bench
step nosamples nosamples
step asan asan
step tsan tsan
step fuzz fuzz
step windows windows
echo "=== times: ${TIMES[*]}"
