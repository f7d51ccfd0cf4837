#!/bin/sh
# Runs one cross-built test program under Wine in a prefix of its own, copied (hard links, with
# private registry files) from a template prefix that `--make-template` boots once per run.
#   R5_WINE_TEMPLATE  the template prefix      R5_WINE_DLL_DIRS  ':'-separated DLL folders
#   R5_WINE           the wine program
# Wine keeps QT_* variables from Windows programs (WINEQT_* reach them as QT_*), and a QtTest
# program's console report does not reach a pipe or file there: `--qtest` has the report written
# to a file, which is printed afterwards.
# `--serial-pairs N` links N pairs of host pseudo-terminals (socat joins the two of a pair) as
# COM ports of the prefix, COM5:COM6, COM7:COM8, ..., and names them to the program in
# R5_SERIAL_PAIRS ("NEAR:FAR,..."; tests/support/serialpair_win.cpp): the prefix is the test's
# own, so the names never meet another test's.
#   wine-test.sh [--serial-pairs N] [--qtest] PROGRAM [ARGUMENT...]
set -eu
wine=${R5_WINE:-wine}
template=${R5_WINE_TEMPLATE:?}
server=$(dirname "$(command -v "$wine")")/wineserver
[ -x "$server" ] || server=wineserver
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-winemenubuilder.exe=d;mscoree=d;mshtml=d}
[ -n "${QT_QPA_PLATFORM:-}" ] && export WINEQT_QPA_PLATFORM=$QT_QPA_PLATFORM
[ -n "${QT_PLUGIN_PATH:-}" ] && export WINEQT_PLUGIN_PATH=$QT_PLUGIN_PATH

if [ "${1:-}" = --make-template ]; then
  rm -rf "$template"
  mkdir -p "$template"
  WINEPREFIX=$template "$wine" wineboot -i >/dev/null 2>&1 || true
  WINEPREFIX=$template "$server" -w
  [ -f "$template/system.reg" ] || { echo "wineboot made no prefix in $template" >&2; exit 1; }
  exit 0
fi

pairs=0
if [ "${1:-}" = --serial-pairs ]; then
  pairs=$2
  shift 2
fi

prefix=$(mktemp -d "${template}-run.XXXXXX")
linkers=
cleanup() {
  WINEPREFIX=$prefix "$server" -k 2>/dev/null || true
  for pid in $linkers; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$prefix"
}
trap cleanup EXIT INT TERM
cp -al "$template/." "$prefix/"
for f in "$prefix"/*.reg; do cp --remove-destination "$template/$(basename "$f")" "$f"; done
export WINEPREFIX=$prefix
R5_SERIAL_PAIRS=
i=0
while [ "$i" -lt "$pairs" ]; do
  near=$prefix/dosdevices/com$((5 + 2 * i))
  far=$prefix/dosdevices/com$((6 + 2 * i))
  rm -f "$near" "$far"
  socat "pty,raw,echo=0,link=$near" "pty,raw,echo=0,link=$far" 2>>"$prefix/serial-pairs.log" &
  linkers="$linkers $!"
  waited=0
  until [ -L "$near" ] && [ -L "$far" ]; do
    [ "$waited" -lt 100 ] || { echo "socat made no serial pair in $prefix" >&2; exit 1; }
    sleep 0.05
    waited=$((waited + 1))
  done
  R5_SERIAL_PAIRS=${R5_SERIAL_PAIRS:+$R5_SERIAL_PAIRS,}COM$((5 + 2 * i)):COM$((6 + 2 * i))
  i=$((i + 1))
done
export R5_SERIAL_PAIRS
WINEPATH=$(printf '%s' "${R5_WINE_DLL_DIRS:-}" | tr ':' ';')
export WINEPATH
qtest=
if [ "${1:-}" = --qtest ]; then
  qtest=$prefix/report.txt
  shift
fi
program=$1
shift
status=0
if [ -n "$qtest" ]; then
  "$wine" "$program" -o "Z:$qtest,txt" "$@" || status=$?
  [ -f "$qtest" ] && cat "$qtest"
else
  "$wine" "$program" "$@" || status=$?
fi
exit $status
