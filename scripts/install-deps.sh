#!/usr/bin/env bash
# Installs every Debian package the build, the tests, the fuzzers and the benchmarks
# need. Idempotent: does nothing when all are present.
set -euo pipefail
PACKAGES=(
  cmake ninja-build g++ pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libpugixml-dev libxlsxwriter-dev zlib1g-dev
  pxlib-dev
  clang libclang-rt-14-dev
  qt6-base-dev libgl-dev fonts-liberation2
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
