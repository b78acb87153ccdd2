#!/usr/bin/env bash
# Runs every fuzz target of BUILD_DIR for SECONDS each, seeded with the sample
# tables; fails on the first crash, leak or timeout.
#   fuzz/run.sh BUILD_DIR SECONDS
# Seeds are made at run time in BUILD_DIR/fuzz-corpus (never copied into the
# repository): fuzz_table* targets get each sample .DB packed with its .MB
# (u32 length, .DB, .MB); every other target gets each sample file as it is.
set -euo pipefail
BUILD=${1:?usage: fuzz/run.sh BUILD_DIR SECONDS}
SECONDS_EACH=${2:?usage: fuzz/run.sh BUILD_DIR SECONDS}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
SAMPLES=${CORVANES_SAMPLES_DIR:-$ROOT/../shared/paradox-samples}
CORPUS="$BUILD/fuzz-corpus"
ARTIFACTS="$BUILD/fuzz-artifacts"
mkdir -p "$CORPUS/packed" "$CORPUS/raw" "$ARTIFACTS"

if [ -d "$SAMPLES" ]; then
  python3 - "$SAMPLES" "$CORPUS" <<'PY'
import os, struct, sys
samples, corpus = sys.argv[1], sys.argv[2]
for root, _, files in os.walk(samples):
    for name in files:
        path = os.path.join(root, name)
        stem, ext = os.path.splitext(name)
        data = open(path, "rb").read()
        if ext.lower() in (".xml", ".md"):
            continue
        # Index and table files raw; big files cut, the fuzzer grows them.
        open(os.path.join(corpus, "raw", name), "wb").write(data[:65536])
        if ext.lower() == ".db":
            mb = b""
            for cand in files:
                if cand.lower() == (stem + ".mb").lower():
                    mb = open(os.path.join(root, cand), "rb").read()[:65536]
            open(os.path.join(corpus, "packed", name), "wb").write(struct.pack("<I", len(data)) + data + mb)
PY
else
  echo "fuzz/run.sh: samples not found at $SAMPLES; running without seeds" >&2
fi

found=0
for target in "$BUILD"/fuzz/fuzz_*; do
  [ -x "$target" ] && [ -f "$target" ] || continue
  found=1
  name=$(basename "$target")
  case "$name" in fuzz_table*) seeds="$CORPUS/packed" ;; *) seeds="$CORPUS/raw" ;; esac
  work="$CORPUS/work-$name"
  mkdir -p "$work"
  echo "== $name for ${SECONDS_EACH}s"
  "$target" "$work" "$seeds" -max_total_time="$SECONDS_EACH" -rss_limit_mb=2048 -timeout=20 \
    -max_len=200000 -print_final_stats=1 -artifact_prefix="$ARTIFACTS/$name-" 2>&1 | tail -n 12
  rc=${PIPESTATUS[0]}
  if [ "$rc" -ne 0 ]; then
    echo "fuzz/run.sh: $name failed (exit $rc); artifacts in $ARTIFACTS" >&2
    exit 1
  fi
done
[ "$found" = 1 ] || { echo "fuzz/run.sh: no fuzz targets in $BUILD/fuzz" >&2; exit 1; }
