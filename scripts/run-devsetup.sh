#!/usr/bin/env bash
# Quick start: installs the packages, builds, prepares the working folder run/ (cfg/, Log/)
# and starts devsetup there. devsetup reads ./cfg/SETUP.INI and writes ./Log/ relative to it.
# Usage: scripts/run-devsetup.sh [devsetup arguments]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${R5_BUILD_DIR:-$root/build}
run=$root/run

bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" "$build"

mkdir -p "$run/cfg" "$run/Log" "$run/KorviaFW"

# --- virtual device -------------------------------------------------------------------
# The virtual device is started here (on a pseudo-terminal) and its port name written to
# run/cfg/SETUP.INI before devsetup starts.
# ---------------------------------------------------------------------------------------

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "run-devsetup: no display (DISPLAY/WAYLAND_DISPLAY unset); try: xvfb-run -a $0" >&2
fi
cd "$run"
exec "$build/bin/devsetup" "$@"
