#!/usr/bin/env bash
# Fetches and unpacks the source of one Debian package with the archive's own
# tools: source entries derived from this machine's apt configuration (deb822
# files get "Types: deb-src", one-line files "deb-src"; the hosts stay those
# configured), kept under the cache folder given: the system's apt
# configuration is left as it is.
#   apt-source.sh CACHE PACKAGE DEST     unpacks PACKAGE's source into DEST
# The log goes to CACHE/PACKAGE.log; it is printed when something fails.
set -euo pipefail
CACHE=$1 PKG=$2 DEST=$3
APT="$CACHE/apt"
LOG="$CACHE/$PKG.log"
mkdir -p "$APT/lists/partial" "$APT/sources.list.d" "$APT/src/$PKG"
: >"$APT/sources.list"
rm -f "$APT/sources.list.d/"*
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
fail() { cat "$LOG" >&2; echo "apt-source: $1" >&2; exit 1; }
apt-get "${APT_OPTS[@]}" update >"$LOG" 2>&1 || fail "apt-get update of the source entries failed"
(cd "$APT/src/$PKG" && rm -rf ./* && apt-get "${APT_OPTS[@]}" source --download-only "$PKG" >>"$LOG" 2>&1) ||
  fail "apt-get source $PKG failed"
rm -rf "$DEST"
mkdir -p "$(dirname "$DEST")"
(cd "$APT/src/$PKG" && dpkg-source -x ./*.dsc "$DEST") >>"$LOG" 2>&1 || fail "dpkg-source -x failed for $PKG"
rm -rf "$APT/src/$PKG" "$(dirname "$DEST")/${PKG}_"*
