#!/usr/bin/env bash
# Quick start: installs the packages, builds what it starts, prepares the working folder run/ (cfg/, Log/),
# starts the virtual device and devsetup there, and stops the device when devsetup ends.
# devsetup reads ./cfg/SETUP.INI and writes ./Log/ relative to it.
# Usage: scripts/run-devsetup.sh [devsetup arguments]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${R5_BUILD_DIR:-$root/build}
run=$root/run

echo "run-devsetup: checking the Debian packages the build needs"
bash "$root/scripts/setup.sh"
# Only what this script starts: devsetup, the virtual device, and Simulator_3810, which devsetup's
# "DI Simulator" button starts. The tests, benchmarks and the rest are for scripts/test.sh.
echo "run-devsetup: building devsetup, r5200tx-virtual and Simulator_3810 in $build" \
  "(the first build takes a few minutes; later ones only what changed)"
R5_BUILD_TARGET="devsetup r5200tx-virtual Simulator_3810" bash "$root/scripts/build.sh" "$build"
echo "run-devsetup: starting the virtual device and devsetup in $run"

mkdir -p "$run/cfg" "$run/Log" "$run/KorviaFW"

# --- virtual device -------------------------------------------------------------------
# Without hardware, devsetup talks to the virtual device: it answers on a pseudo-terminal
# reached through the fixed link run/dev/r5200tx and keeps the settings written to it in
# run/r5200tx-state.json. Its console goes to run/r5200tx-virtual.log. It is stopped when
# devsetup ends.
# ---------------------------------------------------------------------------------------
mkdir -p "$run/dev"
link=$run/dev/r5200tx
"$build/bin/r5200tx-virtual" --link "$link" --state "$run/r5200tx-state.json" \
  >"$run/r5200tx-virtual.log" 2>&1 &
device=$!
stop_device() {
  kill "$device" 2>/dev/null || true
  wait "$device" 2>/dev/null || true
}
trap stop_device EXIT
trap 'exit 130' INT TERM HUP
for _ in $(seq 100); do
  [ -e "$link" ] && break
  if ! kill -0 "$device" 2>/dev/null; then
    echo "run-devsetup: the virtual device did not start:" >&2
    cat "$run/r5200tx-virtual.log" >&2
    exit 1
  fi
  sleep 0.1
done
[ -e "$link" ] || { echo "run-devsetup: no $link after 10 s" >&2; exit 1; }

# devsetup's port is the link, unless the user's configuration names a port that exists
# (a real adapter, say): that file is left as it is.
ini=$run/cfg/SETUP.INI
configured_port() {
  awk 'tolower($0) ~ /^[ \t]*comport[ \t]*=/ { sub(/^[^=]*=[ \t]*/, ""); sub(/[ \t\r]*$/, ""); print; exit }' "$ini"
}
if [ ! -f "$ini" ]; then
  printf '[EnvBoard]\r\nComPort=%s\r\n' "$link" >"$ini"
elif port=$(configured_port) && { [ -z "$port" ] || ! (cd "$run" && [ -e "$port" ]); }; then
  # Only the ComPort key of [EnvBoard] changes; every other line stays.
  awk -v port="$link" '
    { line = $0; sub(/\r$/, "", line) }
    line ~ /^[ \t]*\[/ {
      if (in_board && !done) { print "ComPort=" port "\r"; done = 1 }
      in_board = (tolower(line) ~ /^[ \t]*\[[ \t]*envboard[ \t]*\]/)
      print; next
    }
    in_board && tolower(line) ~ /^[ \t]*comport[ \t]*=/ {
      if (!done) { print "ComPort=" port "\r"; done = 1 }
      next
    }
    { print }
    END {
      if (!done && in_board) print "ComPort=" port "\r"
      else if (!done) { print "[EnvBoard]\r"; print "ComPort=" port "\r" }
    }' "$ini" >"$ini.new" && mv "$ini.new" "$ini"
  echo "run-devsetup: cfg/SETUP.INI now names the virtual device ($link)"
fi

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "run-devsetup: no display (DISPLAY/WAYLAND_DISPLAY unset); try: xvfb-run -a $0" >&2
fi
cd "$run"
status=0
"$build/bin/devsetup" "$@" || status=$?
exit "$status"
