#!/usr/bin/env bash
# Builds the libraries the Windows build needs, for Windows, from Debian's
# archive only: GoogleTest from the sources of Debian's `googletest` package
# (/usr/src/googletest), pugixml from its Debian source package (apt-get source,
# through source entries derived from this machine's own apt configuration, kept
# in the cache: the system's apt configuration is left as it is).
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
  APT="$DEPS/apt"
  mkdir -p "$APT/lists/partial" "$APT/sources.list.d" "$APT/src"
  : >"$APT/sources.list"
  # The machine's own Debian entries, as source entries: deb822 files get
  # "Types: deb-src", one-line files "deb-src" (the hosts stay those configured).
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    case "$f" in
      *.sources) sed -E 's/^Types:.*/Types: deb-src/' "$f" >"$APT/sources.list.d/$(basename "$f")" ;;
      *) sed -nE 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$f" >>"$APT/sources.list" ;;
    esac
  done
  APT_OPTS=(-o Dir::Etc::SourceList="$APT/sources.list"
            -o Dir::Etc::SourceParts="$APT/sources.list.d"
            -o Dir::State::Lists="$APT/lists"
            -o Dir::Cache::pkgcache="" -o Dir::Cache::srcpkgcache=""
            -o APT::Sandbox::User="$(id -un)")
  echo "windows-deps: pugixml from its Debian source package"
  apt-get "${APT_OPTS[@]}" update >"$DEPS/pugixml.log" 2>&1 || {
    cat "$DEPS/pugixml.log" >&2; echo "windows-deps: apt-get update of the source entries failed" >&2; exit 1; }
  (cd "$APT/src" && rm -rf ./* && apt-get "${APT_OPTS[@]}" source --download-only pugixml >>"$DEPS/pugixml.log" 2>&1 \
     && dpkg-source -x ./pugixml_*.dsc pugixml >>"$DEPS/pugixml.log" 2>&1) || {
    cat "$DEPS/pugixml.log" >&2; echo "windows-deps: apt-get source pugixml failed" >&2; exit 1; }
  cmake -S "$APT/src/pugixml" -B "$DEPS/build-pugixml" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$PREFIX" -DBUILD_SHARED_LIBS=OFF -DPUGIXML_BUILD_TESTS=OFF \
    >>"$DEPS/pugixml.log"
  cmake --build "$DEPS/build-pugixml" -j"$JOBS" >>"$DEPS/pugixml.log"
  cmake --install "$DEPS/build-pugixml" >>"$DEPS/pugixml.log"
  rm -rf "$DEPS/build-pugixml"
fi
echo "windows-deps: $PREFIX"
