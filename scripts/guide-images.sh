#!/usr/bin/env bash
# Refreshes the pictures of the user guide (docs/guide/images/) from the
# windows themselves: builds the desktop program and the demo generator, writes
# a demo installation into a scratch folder (fixed seed and date, so the
# pictures change only when a window does), captures every window on Qt's
# offscreen platform and copies the captures in. Then checks that every picture
# the guide shows exists. Run it after changing a window, and commit the images.
#
#   bash scripts/guide-images.sh [BUILD_DIR]     (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
GUIDE=docs/guide
IMAGES=$GUIDE/images

if [ ! -f "$BUILD/CMakeCache.txt" ]; then
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANES_GUI=ON >/dev/null
fi
cmake --build "$BUILD" -j"${JOBS:-2}" --target corvanes corvanes-demo >/dev/null

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
"$BUILD/corvanes-demo" "$scratch/demo" --agencies 5 --dossiers 200 --seed 1 --date 2026-12-08 >/dev/null
QT_QPA_PLATFORM=offscreen "$BUILD/corvanes" --ini "$scratch/demo/qvrbde.ini" --captures "$scratch/captures"

mkdir -p "$IMAGES"
rm -f "$IMAGES"/*.png
cp "$scratch"/captures/*.png "$IMAGES"/
echo "guide-images: $(ls "$IMAGES" | wc -l) captures copied into $IMAGES"

# Every picture the guide shows must be there; captures it does not show are
# named, so that a new window gets its section.
missing=0
for ref in $(grep -ohE 'images/[A-Za-z0-9_.-]+\.png' "$GUIDE"/*.md | sort -u); do
  if [ ! -f "$GUIDE/$ref" ]; then
    echo "guide-images: the guide shows $ref, which no window captured" >&2
    missing=1
  fi
done
for png in "$IMAGES"/*.png; do
  grep -qF "images/$(basename "$png")" "$GUIDE"/*.md || echo "guide-images: not shown in the guide yet: $(basename "$png")"
done
exit $missing
