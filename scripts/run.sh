#!/usr/bin/env bash
# Installs, builds and shows the program on the demo installation: generates it
# once into demo/ (git-ignored) and, until the desktop program exists, prints
# its summary read back through the core (agencies with their directories and
# counts of dossiers, pieces and lines; head office's table counts).
# Regenerate with: rm -rf demo && bash scripts/run.sh
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"${JOBS:-2}" --target corvanes-demo
# The installation maps its prefix to the absolute path it was written at:
# a repository moved since then gets a fresh one.
if [ -f demo/qvrbde.ini ] && ! grep -qF "Q:=$(pwd)/demo" demo/qvrbde.ini; then
  rm -rf demo
fi
if [ ! -f demo/qvrbde.ini ]; then
  rm -rf demo
  ./build/corvanes-demo demo --agencies "${DEMO_AGENCIES:-5}" --dossiers "${DEMO_DOSSIERS:-200}" --seed "${DEMO_SEED:-1}"
fi
./build/corvanes-demo --summary demo
