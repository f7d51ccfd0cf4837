#!/usr/bin/env bash
# Cross-builds and packages the tool set for Windows (scripts/build-windows.sh), runs its test
# suite under Wine (ctest; the serial tests on COM ports linked to host pseudo-terminals, tests
# marked LINUX_ONLY in CMake not built) and checks the installer (scripts/check-windows-install.sh).
# Usage: R5_WIN_SDK=<sdk tarball or folder> scripts/test-windows.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-win}
bash "$root/scripts/build-windows.sh" "$build"
build=$(cd "$build" && pwd)
cd "$build"
ctest --output-on-failure -j "$(nproc)" --timeout 600
bash "$root/scripts/check-windows-install.sh" "$build"
