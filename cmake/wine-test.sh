#!/bin/sh
# Runs one cross-built test program under Wine in a prefix of its own, copied (hard links, with
# private registry files) from a template prefix that `--make-template` boots once per run.
#   R5_WINE_TEMPLATE  the template prefix      R5_WINE_DLL_DIRS  ':'-separated DLL folders
#   R5_WINE           the wine program
set -eu
wine=${R5_WINE:-wine}
template=${R5_WINE_TEMPLATE:?}
server=$(dirname "$(command -v "$wine")")/wineserver
[ -x "$server" ] || server=wineserver
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-winemenubuilder.exe=d;mscoree=d;mshtml=d}

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
status=0
"$wine" "$@" || status=$?
exit $status
