#!/usr/bin/env bash
# Shows that the Windows programs, run under Wine, give the same results as the
# Linux ones: the demo installation of one seed and date is byte-identical
# table by table; a simulated and a real purchase conditions transfer, the
# messaging transfer, the client clean-up and the three statistics exports
# print the same lines and leave the same tables and CSV bytes.
#   LINUX_BUILD   Linux build folder with corvanes-demo and corvanes-batch (default build)
#   WINEPREFIX    used when set, else a throwaway one
# Exit 0 when everything is the same; the differences are printed otherwise.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
LINUX=${LINUX_BUILD:-build}
JOBS=${JOBS:-2}
WINE=$(command -v wine || echo /usr/lib/wine/wine64)
bash scripts/build-windows.sh  # up to date with the sources (a quick no-op when it is)
if [ ! -f "$LINUX/build.ninja" ]; then
  cmake -S . -B "$LINUX" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$LINUX" -j"$JOBS" --target corvanes-demo corvanes-batch >/dev/null

WORK=$(mktemp -d "${TMPDIR:-/tmp}/corvanes-same.XXXXXX")
OWN_PREFIX=0
if [ -z "${WINEPREFIX:-}" ]; then
  export WINEPREFIX="$WORK/wine"
  OWN_PREFIX=1
  mkdir -p "$WINEPREFIX"
fi
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  [ "$OWN_PREFIX" = 1 ] && { wineserver -k 2>/dev/null || true; }
  rm -rf "$WORK"
}
trap cleanup EXIT
if [ "$OWN_PREFIX" = 1 ]; then
  # As in test-windows.sh: one server, the prefix's services started apart.
  wineserver -p
  "$WINE" wineboot --init >/dev/null 2>&1 || true
fi
# The programs run from copies, so that each writes its log files beside itself.
mkdir -p "$WORK/lin/bin" "$WORK/win/bin"
cp "$LINUX/corvanes-demo" "$LINUX/corvanes-batch" "$WORK/lin/bin/"
cp dist/windows/corvanes-demo.exe dist/windows/corvanes-batch.exe "$WORK/win/bin/"
L="$WORK/lin/inst" W="$WORK/win/inst"

lin() { "$WORK/lin/bin/$1" "${@:2}"; }
win() { "$WINE" "$WORK/win/bin/$1.exe" "${@:2}"; }

fails=0
same() {  # label, file A, file B
  if cmp -s "$2" "$3"; then echo "same: $1"; else echo "DIFFERENT: $1"; diff "$2" "$3" | head -20 || true; fails=$((fails + 1)); fi
}
# Every file of the two installations but "qvrbde.ini" (its [Chemins] names the
# host directory), the backups and journals (named by the time of the run) and
# our write locks' records (".cvlock": they name the run that wrote last).
same_tree() {  # label
  local skip=(! -name qvrbde.ini ! -name "*.cvlock" ! -path "./Sauvegardes/*" ! -path "./Journaux/*")
  (cd "$L" && find . -type f "${skip[@]}" | LC_ALL=C sort) >"$WORK/l.files"
  (cd "$W" && find . -type f "${skip[@]}" | LC_ALL=C sort) >"$WORK/w.files"
  same "$1: the same files" "$WORK/l.files" "$WORK/w.files"
  local n=0 d=0 t=0
  while read -r f; do
    n=$((n + 1))
    cmp -s "$L/$f" "$W/$f" && continue
    # A table the runs brought to the current layout carries the time of that
    # change in its header (bytes 0x60-0x63): the two runs were not in the same
    # second. Any other byte is a difference.
    if cmp -l "$L/$f" "$W/$f" 2>/dev/null | awk '$1 < 97 || $1 > 100 { found = 1 } END { exit !found }'; then
      echo "DIFFERENT: $1: $f"; d=$((d + 1))
    elif [ "$(stat -c %s "$L/$f")" = "$(stat -c %s "$W/$f")" ]; then
      t=$((t + 1))
    else
      echo "DIFFERENT: $1: $f"; d=$((d + 1))
    fi
  done <"$WORK/l.files"
  echo "$1: $n files compared byte for byte, $d different, $t only by their header's time of structure"
  fails=$((fails + d))
}
# A command's output lines (@DIR@ in an argument stands for the installation) (standard output, then standard error after a
# marker), CR LF read as LF, each installation's own directory as <DIR>.
# The journal's line names a file by the time of the run (and a number when
# two runs share a second), in the system's own way of writing paths.
journal_line() {
  sed -E '/^Journal du traitement : /{s#[\\]#/#g; s#Z:/#/#; s#^(Journal du traitement : ).*/Journaux/[0-9_-]+_([a-z-]+)(_[0-9]+)?[.]log$#\1<DIR>/Journaux/<TIME>_\2.log#}'
}
run_both() {  # label, arguments...
  local label=$1; shift
  local la=("${@//@DIR@/$L}") wa=("${@//@DIR@/Z:$W}")
  set +e
  lin corvanes-batch --ini "$L/qvrbde.ini" "${la[@]}" >"$WORK/l.out" 2>"$WORK/l.err"; local lc=$?
  win corvanes-batch --ini "Z:$W/qvrbde.ini" "${wa[@]}" >"$WORK/w.out" 2>"$WORK/w.err"; local wc=$?
  set -e
  for s in l w; do
    local dir; [ $s = l ] && dir=$L || dir=$W
    { cat "$WORK/$s.out"; echo "--- exit"; echo "--- stderr"; cat "$WORK/$s.err"; } | tr -d '\r' |
      sed -e "s#Z:$dir#<DIR>#g; s#$dir#<DIR>#g; s#Z:$WORK/$s/bin#<EXE>#g; s#$WORK/$s/bin#<EXE>#g" |
      journal_line >"$WORK/$s.lines"
  done
  echo "$label: exit codes $lc (Linux) and $wc (Wine), $(wc -l <"$WORK/l.lines") lines"
  [ "$lc" = "$wc" ] || { echo "DIFFERENT: $label: exit codes"; fails=$((fails + 1)); }
  same "$label: output lines" "$WORK/l.lines" "$WORK/w.lines"
}

SEED=7 DATE=2026-12-08
lin corvanes-demo "$L" --seed $SEED --date $DATE >/dev/null
win corvanes-demo "Z:$W" --seed $SEED --date $DATE >/dev/null
same_tree "demo installation (seed $SEED, $DATE)"

run_both "purchase conditions, simulated" transfert conditions-achat
run_both "purchase conditions, real" transfert conditions-achat --reel
for f in copie_remises_achat_messages.log copie_remises_achat_erreurs.log; do
  same "log file $f" "$WORK/lin/bin/$f" "$WORK/win/bin/$f"
done
run_both "messaging transfer, real" transfert messagerie --reel
run_both "client clean-up, real" nettoyage-clients --reel
for k in agences achats fournisseurs; do
  detail=(--detail)
  [ "$k" = agences ] && detail=()  # the agencies' list has no details
  run_both "statistics $k" statistiques $k --debut 2026-01-01 --fin 2026-12-31 --tri 1 "${detail[@]}" --csv "@DIR@/$k.csv"
  same "statistics $k: CSV bytes" "$L/$k.csv" "$W/$k.csv"
done
same_tree "tables after the runs"

if [ "$fails" -ne 0 ]; then
  echo "same-results-windows: $fails difference(s)" >&2
  exit 1
fi
echo "same-results-windows: the same on Linux and under Wine"
