#!/usr/bin/env bash
# Installs, builds and shows the program. Until the demo installation and the desktop
# program exist, shows what the engine reads of a sample table.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"${JOBS:-2}" --target pdx
SAMPLES=${CORVANES_SAMPLES_DIR:-../shared/paradox-samples}
./build/pdx info "$SAMPLES/dbdemos/country.db"
./build/pdx dump "$SAMPLES/dbdemos/country.db"
