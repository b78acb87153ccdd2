#!/usr/bin/env bash
# Installs the Debian packages the Windows build and its tests need: the
# mingw-w64 cross compiler (posix thread model), Wine to run the tests, the
# GoogleTest sources, dpkg-dev (apt-get source unpacks pugixml and libxlsxwriter
# with it) and zlib for Windows (below libxlsxwriter).
# Idempotent: does nothing when all are present.
set -euo pipefail
PACKAGES=(
  cmake ninja-build pkg-config
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
  wine wine64
  googletest dpkg-dev libz-mingw-w64-dev
)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
