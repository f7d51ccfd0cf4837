#!/bin/sh
# Runs one cross-built test program under Wine in a prefix of its own, copied (hard links, with
# private registry files) from a template prefix that `--make-template` boots once per run.
#   R5_WINE_TEMPLATE  the template prefix      R5_WINE_DLL_DIRS  ':'-separated DLL folders
#   R5_WINE           the wine program
# Wine keeps QT_* variables from Windows programs (WINEQT_* reach them as QT_*), and a QtTest
# program's console report does not reach a pipe or file there: `--qtest` has the report written
# to a file, which is printed afterwards.
#   wine-test.sh [--qtest] PROGRAM [ARGUMENT...]
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

prefix=$(mktemp -d "${template}-run.XXXXXX")
cleanup() {
  WINEPREFIX=$prefix "$server" -k 2>/dev/null || true
  rm -rf "$prefix"
}
trap cleanup EXIT INT TERM
cp -al "$template/." "$prefix/"
for f in "$prefix"/*.reg; do cp --remove-destination "$template/$(basename "$f")" "$f"; done
export WINEPREFIX=$prefix
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
