#!/usr/bin/env bash
# Sets up (packages), builds and runs the whole test suite.
# Usage: scripts/test.sh [BUILD_DIR]   (R5_SANITIZE=1 for the sanitizer build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" "$build"
cd "$build"
ctest --output-on-failure -j "$(nproc)" --timeout 600
