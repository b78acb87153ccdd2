#!/usr/bin/env bash
# Builds Qt 6 for 64-bit Windows (mingw-w64, static) from the source of
# Debian's own qt6-base package: the very version whose host tools (moc, uic,
# rcc) Debian ships, so that those are used as they are.
# Only what the desktop program uses: Core, Gui, Widgets, PrintSupport, Test,
# the Windows platform plugin and the offscreen one (for --captures).
# Built once into a cache folder outside the repository and reused while present:
#   CORVANES_WINDOWS_DEPS  (default ${XDG_CACHE_HOME:-$HOME/.cache}/corvanes-windows)
#   the Qt prefix is "$CORVANES_WINDOWS_DEPS/qt6"
# About 1,150 build steps: roughly 45 minutes on 2 cores, 116 MB installed.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
DEPS=${CORVANES_WINDOWS_DEPS:-${XDG_CACHE_HOME:-$HOME/.cache}/corvanes-windows}
QT="$DEPS/qt6"
JOBS=${JOBS:-2}
if [ -f "$QT/lib/cmake/Qt6Widgets/Qt6WidgetsConfig.cmake" ]; then
  echo "build-qt-windows: $QT"
  exit 0
fi
bash "$ROOT/scripts/install-deps-windows.sh"
HOST_VERSION=$(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null || true)
[ -n "$HOST_VERSION" ] || { echo "build-qt-windows: Debian's qt6-base-dev (the host tools) is not installed" >&2; exit 1; }
mkdir -p "$DEPS"
SRC="$DEPS/src/qt6-base"
if [ ! -f "$SRC/CMakeLists.txt" ]; then
  echo "build-qt-windows: the source of Debian's qt6-base"
  bash "$ROOT/scripts/apt-source.sh" "$DEPS" qt6-base "$SRC"
fi
# The source must be the version of the host tools: moc's output format and
# the host CMake files are tied to it.
SRC_VERSION=$(cd "$SRC" && dpkg-parsechangelog -S Version)
if [ "$SRC_VERSION" != "$HOST_VERSION" ]; then
  echo "build-qt-windows: source $SRC_VERSION differs from the host tools $HOST_VERSION" >&2
  exit 1
fi
BUILD="$DEPS/build-qt6"
LOG="$DEPS/qt6.log"
echo "build-qt-windows: configuring (log: $LOG)"
# Bundled third-party libraries rather than the mingw ones Debian may have:
# those come as DLL import libraries, and the program must be one file.
# Debian's source leaves out the tablet header (wintab.h): no tablet events.
# The Windows platform plugin of this version needs OpenGL on (loaded dynamically).
cmake -S "$SRC" -B "$BUILD" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$QT" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DBUILD_SHARED_LIBS=OFF -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
  -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_concurrent=OFF \
  -DFEATURE_xml=OFF -DINPUT_openssl=no -DFEATURE_tabletevent=OFF -DFEATURE_opengl=ON \
  -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
  -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF \
  -DFEATURE_system_doubleconversion=OFF -DFEATURE_system_md4c=OFF \
  >"$LOG" 2>&1 || { tail -40 "$LOG" >&2; echo "build-qt-windows: configure failed" >&2; exit 1; }
echo "build-qt-windows: building (about 45 minutes on 2 cores)"
start=$(date +%s)
cmake --build "$BUILD" -j"$JOBS" >>"$LOG" 2>&1 || { tail -40 "$LOG" >&2; echo "build-qt-windows: build failed" >&2; exit 1; }
cmake --install "$BUILD" >>"$LOG" 2>&1 || { tail -20 "$LOG" >&2; echo "build-qt-windows: install failed" >&2; exit 1; }
echo "build-qt-windows: built in $(( ($(date +%s) - start) / 60 )) min, $(du -sh "$QT" | cut -f1) in $QT"
rm -rf "$BUILD"
