#!/usr/bin/env bash
# Builds the Debian package of the suite and checks it: every desktop entry, the AppStream
# metainfo, lintian (no errors), and a smoke run of every program from the unpacked package,
# offscreen, with HOME in a temporary folder: each must keep running for a few seconds, make
# its per-user folder, and leave the unpacked tree exactly as it was.
# Usage: scripts/package.sh [BUILD_DIR]
#   R5_PACKAGE_INSTALL=1 also installs the package with apt and removes it again (needs root).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
seconds=${R5_SMOKE_SECONDS:-4}

bash "$root/scripts/setup.sh"
R5_BUILD_TARGET=r5_package_files bash "$root/scripts/build.sh" "$build"
rm -rf "$build/package"
(cd "$build" && cpack -G DEB >/dev/null)
debs=("$build"/package/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "package: expected one .deb in $build/package" >&2; exit 1; }
deb=${debs[0]}
echo "== $(basename "$deb")"

work=$(mktemp -d)
pids=()
finish() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap finish EXIT
tree=$work/root
dpkg-deb -x "$deb" "$tree"

echo "== desktop entries"
entries=("$tree"/usr/share/applications/*.desktop)
[ ${#entries[@]} -eq 3 ] || { echo "package: expected 3 desktop entries, found ${#entries[@]}" >&2; exit 1; }
for entry in "${entries[@]}"; do
  desktop-file-validate "$entry"
  exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
  [ -x "$tree/usr/bin/$exec_name" ] || { echo "package: $(basename "$entry") starts a missing $exec_name" >&2; exit 1; }
done
echo "== AppStream"
appstreamcli validate --no-net "$tree"/usr/share/metainfo/*.metainfo.xml
echo "== lintian"
lintian --fail-on error "$deb"

echo "== smoke run (${seconds}s)"
snapshot() { (cd "$tree" && find . -printf '%p %y %s %T@ %m\n' | sort); }
snapshot >"$work/before"
declare -A folder_of=([devsetup]=devsetup/cfg [Simulator]=Simulator [Simulator_3810]=Simulator_3810/Log)
for bin in "$tree"/usr/bin/*; do
  program=$(basename "$bin")
  home=$work/home/$program
  mkdir -p "$home/tmp" "$home/run"
  chmod 700 "$home/run"
  args=()
  case $program in
    r5200tx-virtual) args=(--no-tcp --link "$home/r5200tx") ;;
    devsetup | Simulator | Simulator_3810) ;;
    *) args=(--help) ;; # a command-line tool: it answers and ends
  esac
  # Started in the home folder, as the menu starts it.
  (cd "$home" && exec env HOME="$home" XDG_DATA_HOME= XDG_CONFIG_HOME= XDG_RUNTIME_DIR="$home/run" \
    TMPDIR="$home/tmp" QT_QPA_PLATFORM=offscreen "$bin" "${args[@]}") >"$work/$program.log" 2>&1 &
  pids+=("$!")
done
sleep "$seconds"
status=0
i=0
for bin in "$tree"/usr/bin/*; do
  program=$(basename "$bin")
  pid=${pids[$i]}
  i=$((i + 1))
  if [ -n "${folder_of[$program]:-}" ] || [ "$program" = r5200tx-virtual ]; then
    if ! kill -0 "$pid" 2>/dev/null; then
      echo "package: $program ended within ${seconds}s:" >&2
      cat "$work/$program.log" >&2
      status=1
      continue
    fi
    kill "$pid"
    wait "$pid" 2>/dev/null || true
  else
    wait "$pid" || { echo "package: $program ${args[*]} failed" >&2; cat "$work/$program.log" >&2; status=1; }
  fi
  if [ -n "${folder_of[$program]:-}" ]; then
    made=$work/home/$program/.local/share/r5200txtools/${folder_of[$program]}
    [ -d "$made" ] || { echo "package: $program made no ${made#"$work"/}" >&2; status=1; }
  fi
  echo "$program: ok"
done
pids=()
snapshot >"$work/after"
if ! diff -u "$work/before" "$work/after"; then
  echo "package: the programs wrote under the unpacked tree" >&2
  status=1
fi
[ $status -eq 0 ] || exit $status

if [ "${R5_PACKAGE_INSTALL:-0}" = 1 ]; then
  echo "== apt install and remove"
  name=$(dpkg-deb -f "$deb" Package)
  export DEBIAN_FRONTEND=noninteractive
  apt-get install -y -q "$deb"
  dpkg -s "$name" >/dev/null
  apt-get purge -y -q "$name"
  if dpkg -L "$name" >/dev/null 2>&1; then echo "package: $name still installed" >&2; exit 1; fi
  leftovers=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\./, "", $6); print $6 }' | while read -r f; do [ -e "$f" ] && echo "$f"; done || true)
  [ -z "$leftovers" ] || { echo "package: left after removal: $leftovers" >&2; exit 1; }
fi
echo "package: $(basename "$deb") passed every check"
