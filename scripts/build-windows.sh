#!/usr/bin/env bash
# Builds the programs for 64-bit Windows with Debian's mingw-w64 (statically
# linked: no DLL to ship).
#   bash scripts/build-windows.sh         dist/windows/: corvanes-batch.exe, pdx.exe, corvanes-demo.exe
#   bash scripts/build-windows.sh --gui   the same and corvanes.exe (the desktop program), and
#                                         dist/corvanes-<version>-windows-x64.zip, the download:
#                                         Qt for Windows is built first when absent
#                                         (scripts/build-qt-windows.sh: about 45 minutes on 2 cores)
#   BUILD_DIR   build folder (default build-windows, or build-windows-gui with --gui)
#   CORVANES_WINDOWS_DEPS   where the Windows libraries are built and kept
#                           (default ~/.cache/corvanes-windows; see windows-deps.sh)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
GUI=0
for a in "$@"; do
  case "$a" in
    --gui) GUI=1 ;;
    *) echo "usage: bash scripts/build-windows.sh [--gui]" >&2; exit 2 ;;
  esac
done
bash scripts/install-deps-windows.sh
bash scripts/windows-deps.sh
DEPS=${CORVANES_WINDOWS_DEPS:-${XDG_CACHE_HOME:-$HOME/.cache}/corvanes-windows}
JOBS=${JOBS:-2}
PROGRAMS=(corvanes-batch pdx corvanes-demo)
QT_ARGS=(-DCORVANES_GUI=OFF)
if [ "$GUI" = 1 ]; then
  bash scripts/build-qt-windows.sh
  PROGRAMS+=(corvanes)
  QT_ARGS=(-DCORVANES_GUI=ON -DCORVANES_WINDOWS_QT="$DEPS/qt6")
  BUILD=${BUILD_DIR:-build-windows-gui}
else
  BUILD=${BUILD_DIR:-build-windows}
fi
LAUNCHER=()
command -v ccache >/dev/null && LAUNCHER=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
  -DCORVANES_WINDOWS_PREFIX="$DEPS/prefix" -DCMAKE_BUILD_TYPE=Release -DCORVANES_WERROR=ON \
  "${QT_ARGS[@]}" -DCORVANES_TESTS="${CORVANES_WINDOWS_TESTS:-OFF}" "${LAUNCHER[@]}" >/dev/null
cmake --build "$BUILD" -j"$JOBS" --target "${PROGRAMS[@]}"
mkdir -p dist/windows
for p in "${PROGRAMS[@]}"; do
  cp "$BUILD/$p.exe" dist/windows/
  x86_64-w64-mingw32-strip dist/windows/$p.exe
  # Statically linked: nothing but the system's own DLLs is imported.
  if x86_64-w64-mingw32-objdump -p dist/windows/$p.exe | grep -iE "DLL Name: (libstdc|libgcc|libwinpthread|Qt6)"; then
    echo "build-windows: $p.exe needs a DLL that is not the system's" >&2
    exit 1
  fi
done
ls -l dist/windows

if [ "$GUI" = 1 ]; then
  # The download: the four programs, an example configuration and a French
  # read-me, both as Windows' Notepad expects them (code page 1252, CR LF).
  VERSION=$(sed -n 's/^project(Corvanes VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
  NAME=corvanes-$VERSION-windows-x64
  STAGE=$(mktemp -d)
  trap 'rm -rf "$STAGE"' EXIT
  mkdir "$STAGE/$NAME"
  for p in "${PROGRAMS[@]}"; do cp dist/windows/$p.exe "$STAGE/$NAME/"; done
  for f in qvrbde-exemple.ini LISEZMOI.txt; do
    iconv -f UTF-8 -t CP1252 "packaging/windows/$f" | sed 's/$/\r/' >"$STAGE/$NAME/$f"
  done
  rm -f "dist/$NAME.zip"
  (cd "$STAGE" && cmake -E tar cf "$ROOT/dist/$NAME.zip" --format=zip "$NAME")
  ls -l "dist/$NAME.zip"
fi
