#!/usr/bin/env bash
# Configures and builds the tool set. Usage: scripts/build.sh [BUILD_DIR] [extra cmake args]
# R5_SANITIZE=1 builds with AddressSanitizer + UndefinedBehaviorSanitizer; R5_BUILD_TARGET="NAME..." builds
# only those targets (and what they need).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
shift || true
args=(-G Ninja -DCMAKE_BUILD_TYPE=${R5_BUILD_TYPE:-RelWithDebInfo})
[ "${R5_SANITIZE:-0}" = 1 ] && args+=(-DR5_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
[ "${R5_WERROR:-0}" = 1 ] && args+=(-DR5_WERROR=ON)
cmake -S "$root" -B "$build" "${args[@]}" "$@" >/dev/null
targets=()
[ -n "${R5_BUILD_TARGET:-}" ] && read -ra targets <<<"$R5_BUILD_TARGET"
cmake --build "$build" -j "$(nproc)" ${targets[@]:+--target "${targets[@]}"}
