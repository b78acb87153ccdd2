#!/usr/bin/env bash
# Builds the command-line programs for 64-bit Windows with Debian's mingw-w64
# (statically linked: no DLL to ship) into dist/windows/:
# corvanes-batch.exe, pdx.exe, corvanes-demo.exe.
#   BUILD_DIR   build folder (default build-windows)
#   CORVANES_WINDOWS_DEPS   where the Windows libraries are built and kept
#                           (default ~/.cache/corvanes-windows; see windows-deps.sh)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
bash scripts/install-deps-windows.sh
bash scripts/windows-deps.sh
DEPS=${CORVANES_WINDOWS_DEPS:-${XDG_CACHE_HOME:-$HOME/.cache}/corvanes-windows}
BUILD=${BUILD_DIR:-build-windows}
JOBS=${JOBS:-2}
LAUNCHER=()
command -v ccache >/dev/null && LAUNCHER=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
  -DCORVANES_WINDOWS_PREFIX="$DEPS/prefix" -DCMAKE_BUILD_TYPE=Release -DCORVANES_WERROR=ON \
  -DCORVANES_GUI=OFF -DCORVANES_TESTS="${CORVANES_WINDOWS_TESTS:-OFF}" "${LAUNCHER[@]}" >/dev/null
cmake --build "$BUILD" -j"$JOBS" --target corvanes-batch pdx corvanes-demo
mkdir -p dist/windows
for p in corvanes-batch pdx corvanes-demo; do
  cp "$BUILD/$p.exe" dist/windows/
  x86_64-w64-mingw32-strip dist/windows/$p.exe
done
# Statically linked: nothing but the system's own DLLs is imported.
if x86_64-w64-mingw32-objdump -p dist/windows/corvanes-batch.exe | grep -iE "DLL Name: (libstdc|libgcc|libwinpthread)"; then
  echo "build-windows: corvanes-batch.exe needs a runtime DLL" >&2
  exit 1
fi
ls -l dist/windows
