#!/usr/bin/env bash
# Checks the Windows installer under Wine, as an installer on a laptop would use it: a silent
# install into a fresh prefix puts the programs, the user guide and the Start-menu shortcuts of
# the three windows and the guide in place; each
# window program starts from the install folder (no WINEPATH: everything it needs must be there)
# and stays up until it is ended by its id; the installed r5200tx-cli.exe reads the Linux
# virtual device through a Wine COM port (when a Linux build of it is at hand); the silent
# uninstall leaves no file behind.
# Usage: scripts/check-windows-install.sh [BUILD_DIR]   (BUILD_DIR of scripts/build-windows.sh)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build-win}" && pwd)
installer=$(ls "$build"/package/*-win64.exe | head -n 1)
host_virtual=${R5_HOST_VIRTUAL:-$root/build/bin/r5200tx-virtual}

work=$(mktemp -d /tmp/r5-wincheck.XXXXXX)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES='winemenubuilder.exe=d;mscoree=d;mshtml=d'
unset WINEPATH QT_PLUGIN_PATH QT_QPA_PLATFORM
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# A display for the windows: the caller's, or a private Xvfb.
if [ -z "${DISPLAY:-}" ]; then
  display=:$((90 + RANDOM % 400))
  Xvfb "$display" -screen 0 1366x768x24 -nolisten tcp >/dev/null 2>&1 &
  pids+=($!)
  export DISPLAY=$display
  sleep 1
fi

wineboot -i >/dev/null 2>&1 || true
wineserver -w
snapshot() { (cd "$WINEPREFIX/drive_c" && find . -path ./windows -prune -o -print | sort); }
snapshot > "$work/before"

echo "installing $(basename "$installer") silently"
wine "$installer" /S
wineserver -w
dir="$WINEPREFIX/drive_c/Program Files/R5200TX Tools"
for f in devsetup.exe Simulator.exe Simulator_3810.exe r5200tx-cli.exe r5200tx-virtual.exe \
  Qt6Core.dll platforms/qwindows.dll styles/qwindowsvistastyle.dll r5200txtools.installed \
  guide/index.html guide/ko/devsetup.html guide/en/devsetup.html guide/images/devsetup.png; do
  [ -f "$dir/$f" ] || fail "the installer did not put $f in $dir"
done
shortcuts=$(find "$WINEPREFIX/drive_c" -path '*Start Menu/Programs*' -name '*.lnk' | grep -v -i uninstall || true)
for name in "R5200TX Serial Setup" "Korvia 3810-3850 Simulator" "Korvia Simulator" "R5200TX User Guide"; do
  printf '%s\n' "$shortcuts" | grep -q "/$name.lnk$" || fail "no Start-menu shortcut \"$name\" among: $shortcuts"
done
echo "installed: $(ls "$dir" | wc -l) entries, shortcuts: $(printf '%s\n' "$shortcuts" | xargs -d '\n' -n1 basename | tr '\n' ' ')"

# Each window stays up from the install folder until it is ended.
for program in devsetup Simulator Simulator_3810; do
  (cd "$dir" && exec wine "./$program.exe") >"$work/$program.out" 2>&1 &
  pid=$!
  sleep 6
  kill -0 "$pid" 2>/dev/null || { cat "$work/$program.out"; fail "$program.exe did not stay up"; }
  winpid=$(wine tasklist 2>/dev/null | awk -v p="$program.exe" 'tolower($1) == tolower(p) {print $2; exit}' || true)
  if [ -n "$winpid" ]; then
    wine taskkill /F /PID "$winpid" >/dev/null 2>&1 || true
  fi
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  echo "$program.exe stayed up"
done
wineserver -k 2>/dev/null || true
wineserver -w

# The installed command-line program reads the Linux virtual device through COM7.
if [ -x "$host_virtual" ]; then
  "$host_virtual" --link "$work/tty" --no-tcp --reboot-ms 0 --state "$work/state.json" >"$work/virtual.out" 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do [ -e "$work/tty" ] && break; sleep 0.1; done
  ln -sf "$(readlink -f "$work/tty")" "$WINEPREFIX/dosdevices/com7"
  (cd "$dir" && wine ./r5200tx-cli.exe status --port COM7 --json) >"$work/status.json" 2>"$work/status.err" \
    || { cat "$work/status.err"; fail "r5200tx-cli.exe status --json through COM7 failed"; }
  grep -q '"mac"' "$work/status.json" || { cat "$work/status.json"; fail "no device status in the JSON"; }
  echo "r5200tx-cli.exe read the device through COM7: $(tr -d '\n' < "$work/status.json" | cut -c1-120)…"
  rm -f "$WINEPREFIX/dosdevices/com7"
else
  echo "no Linux r5200tx-virtual at $host_virtual: the COM-port read is not checked here"
fi

echo "uninstalling silently"
wine "$dir/Uninstall.exe" /S
wineserver -w
sleep 1
wineserver -w
# The programs' per-user files are the user's; everything the installer put in place must go.
snapshot | grep -v -E '^\./users/[^/]+/AppData/Local/r5200txtools' > "$work/after" || true
grep -v -E '^\./users/[^/]+/AppData/Local/r5200txtools' "$work/before" > "$work/before.f" || true
if ! diff "$work/before.f" "$work/after" > "$work/diff"; then
  leftovers=$(grep '^>' "$work/diff" | grep -v -E 'Temp|temp|\.wine|INetCache|Microsoft/Windows/(Recent|History)' || true)
  [ -z "$leftovers" ] || fail "the uninstaller left files behind:
$leftovers"
fi
echo "Windows installer check passed"
