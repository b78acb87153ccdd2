#!/usr/bin/env bash
# Builds the libraries the Windows build needs, for Windows, from Debian's
# archive only: GoogleTest from the sources of Debian's `googletest` package
# (/usr/src/googletest), pugixml and libxlsxwriter from their Debian source packages
# (scripts/apt-source.sh: apt-get source, the system's apt configuration left
# as it is).
# Installs into a cache folder outside the repository, reused while present:
#   CORVANES_WINDOWS_DEPS (default ${XDG_CACHE_HOME:-$HOME/.cache}/corvanes-windows)
# Prints nothing but progress; the prefix is "$CORVANES_WINDOWS_DEPS/prefix".
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
DEPS=${CORVANES_WINDOWS_DEPS:-${XDG_CACHE_HOME:-$HOME/.cache}/corvanes-windows}
PREFIX="$DEPS/prefix"
TOOLCHAIN="$ROOT/cmake/mingw-w64-x86_64.cmake"
JOBS=${JOBS:-2}
mkdir -p "$DEPS"

# GoogleTest (gtest and gmock), static, for Windows.
if [ ! -f "$PREFIX/lib/libgtest.a" ]; then
  echo "windows-deps: GoogleTest from /usr/src/googletest"
  rm -rf "$DEPS/build-googletest"
  cmake -S /usr/src/googletest -B "$DEPS/build-googletest" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$PREFIX" -DBUILD_SHARED_LIBS=OFF -Dgtest_disable_pthreads=OFF \
    >"$DEPS/googletest.log"
  cmake --build "$DEPS/build-googletest" -j"$JOBS" >>"$DEPS/googletest.log"
  cmake --install "$DEPS/build-googletest" >>"$DEPS/googletest.log"
  rm -rf "$DEPS/build-googletest"
fi

# pugixml from Debian's source package.
if [ ! -f "$PREFIX/lib/libpugixml.a" ]; then
  echo "windows-deps: pugixml from its Debian source package"
  bash "$ROOT/scripts/apt-source.sh" "$DEPS" pugixml "$DEPS/src/pugixml"
  cmake -S "$DEPS/src/pugixml" -B "$DEPS/build-pugixml" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$PREFIX" -DBUILD_SHARED_LIBS=OFF -DPUGIXML_BUILD_TESTS=OFF \
    >>"$DEPS/pugixml.log"
  cmake --build "$DEPS/build-pugixml" -j"$JOBS" >>"$DEPS/pugixml.log"
  cmake --install "$DEPS/build-pugixml" >>"$DEPS/pugixml.log"
  rm -rf "$DEPS/build-pugixml"
fi
# libxlsxwriter (the statistics' workbooks) from its Debian source package,
# static, over Debian's zlib for Windows; its own minizip, and a number
# formatting that does not follow the locale.
if [ ! -f "$PREFIX/lib/libxlsxwriter.a" ]; then
  echo "windows-deps: libxlsxwriter from its Debian source package"
  bash "$ROOT/scripts/apt-source.sh" "$DEPS" libxlsxwriter "$DEPS/src/libxlsxwriter"
  cmake -S "$DEPS/src/libxlsxwriter" -B "$DEPS/build-libxlsxwriter" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$PREFIX" -DBUILD_SHARED_LIBS=OFF -DUSE_DTOA_LIBRARY=ON \
    -DUSE_SYSTEM_MINIZIP=OFF -DBUILD_TESTS=OFF -DBUILD_EXAMPLES=OFF \
    >>"$DEPS/libxlsxwriter.log"
  cmake --build "$DEPS/build-libxlsxwriter" -j"$JOBS" >>"$DEPS/libxlsxwriter.log"
  cmake --install "$DEPS/build-libxlsxwriter" >>"$DEPS/libxlsxwriter.log"
  rm -rf "$DEPS/build-libxlsxwriter"
fi
echo "windows-deps: $PREFIX"
