#!/usr/bin/env bash
# Builds the Qt-free test programs for Windows (mingw-w64) and runs them under
# Debian's Wine in a throwaway prefix. Every test passes, or skips naming what
# Wine lacks. Then checks that the Windows programs give the same results as
# the Linux ones (scripts/same-results-windows.sh) unless SAME_RESULTS=0.
#   BUILD_DIR  build folder (default build-windows)
#   JOBS       parallel jobs (default 2)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
bash scripts/install-deps-windows.sh
bash scripts/windows-deps.sh
DEPS=${CORVANES_WINDOWS_DEPS:-${XDG_CACHE_HOME:-$HOME/.cache}/corvanes-windows}
BUILD=${BUILD_DIR:-build-windows}
JOBS=${JOBS:-2}
WINE=$(command -v wine || echo /usr/lib/wine/wine64)

# A prefix of our own, removed at the end; Wine's Z: drive maps / so that
# the samples and the build folder are reachable as they are.
export WINEPREFIX
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/corvanes-wine.XXXXXX")
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  WINEPREFIX=$WINEPREFIX wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
# One server for the whole run, and the prefix's own services started once by
# wineboot with their output to /dev/null: started by a test program, they
# inherited its output, and whoever read it (ctest, the test listing) waited
# for them to end.
wineserver -p
"$WINE" wineboot --init >/dev/null 2>&1 || true

SAMPLES=$(realpath -m "${CORVANES_SAMPLES_DIR:-$ROOT/../shared/paradox-samples}")
unset CORVANES_SAMPLES_DIR
LAUNCHER=()
command -v ccache >/dev/null && LAUNCHER=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
  -DCORVANES_WINDOWS_PREFIX="$DEPS/prefix" -DCMAKE_BUILD_TYPE=Release -DCORVANES_WERROR=ON \
  -DCORVANES_GUI=OFF -DCORVANES_TESTS=ON -DCMAKE_CROSSCOMPILING_EMULATOR="$WINE" \
  -DCORVANES_SAMPLES_DIR="Z:$SAMPLES" "${LAUNCHER[@]}" >/dev/null
TESTS=(paradox_tests util_tests data_tests demo_tests agency_tests catalogue_tests stats_tests transfer_tests)
start=$(date +%s)
cmake --build "$BUILD" -j"$JOBS" --target "${TESTS[@]}"
echo "test-windows: build $(( $(date +%s) - start )) s"
start=$(date +%s)
ctest --test-dir "$BUILD" --output-on-failure -j"$JOBS" --timeout 900
echo "test-windows: tests under Wine $(( $(date +%s) - start )) s"

if [ "${SAME_RESULTS:-1}" != 0 ]; then
  bash scripts/same-results-windows.sh
fi
