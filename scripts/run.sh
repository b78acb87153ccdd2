#!/usr/bin/env bash
# Installs, builds and starts the desktop program on the demo installation,
# generated once into demo/ (git-ignored). Without a display it says so, writes
# a capture of every window into demo/captures/ and prints the demo summary
# (agencies with their directories and counts; head office's table counts).
# Regenerate with: rm -rf demo && bash scripts/run.sh
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANES_GUI=ON >/dev/null
cmake --build build -j"${JOBS:-2}" --target corvanes-demo corvanes
# The installation maps its prefix to the absolute path it was written at:
# a repository moved since then gets a fresh one.
if [ -f demo/qvrbde.ini ] && ! grep -qF "Q:=$(pwd)/demo" demo/qvrbde.ini; then
  rm -rf demo
fi
if [ ! -f demo/qvrbde.ini ]; then
  rm -rf demo
  ./build/corvanes-demo demo --agencies "${DEMO_AGENCIES:-5}" --dossiers "${DEMO_DOSSIERS:-200}" --seed "${DEMO_SEED:-1}"
fi
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" != "offscreen" ]; then
  exec ./build/corvanes --ini demo/qvrbde.ini
fi
echo "No display: the windows are captured into demo/captures/ instead."
rm -rf demo/captures
QT_QPA_PLATFORM=offscreen ./build/corvanes --ini demo/qvrbde.ini --captures demo/captures
./build/corvanes-demo --summary demo
