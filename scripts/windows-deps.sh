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

# A library from its Debian source package, built static with CMake into the
# prefix, unless lib/<archive> is there already: name, archive, CMake options.
source_package() {
  local name=$1 archive=$2
  shift 2
  [ -f "$PREFIX/lib/$archive" ] && return 0
  echo "windows-deps: $name from its Debian source package"
  bash "$ROOT/scripts/apt-source.sh" "$DEPS" "$name" "$DEPS/src/$name"
  cmake -S "$DEPS/src/$name" -B "$DEPS/build-$name" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$PREFIX" -DBUILD_SHARED_LIBS=OFF "$@" >>"$DEPS/$name.log"
  cmake --build "$DEPS/build-$name" -j"$JOBS" >>"$DEPS/$name.log"
  cmake --install "$DEPS/build-$name" >>"$DEPS/$name.log"
  rm -rf "$DEPS/build-$name"
}

source_package pugixml libpugixml.a -DPUGIXML_BUILD_TESTS=OFF
# The statistics' workbooks, over Debian's zlib for Windows: its own minizip,
# and a number formatting that does not follow the locale.
source_package libxlsxwriter libxlsxwriter.a -DUSE_DTOA_LIBRARY=ON -DUSE_SYSTEM_MINIZIP=OFF \
  -DBUILD_TESTS=OFF -DBUILD_EXAMPLES=OFF
echo "windows-deps: $PREFIX"
