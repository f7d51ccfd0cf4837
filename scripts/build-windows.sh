#!/usr/bin/env bash
# Cross-builds the tool set for Windows x64 on Debian 12 (MinGW-w64, Qt 6.4.2 SDK) and packages it:
# <dir>/package/r5200txtools-<version>-win64.exe (NSIS installer) and .zip (portable copy).
# Usage: R5_WIN_SDK=<sdk tarball or folder> scripts/build-windows.sh [BUILD_DIR] [extra cmake args]
#   R5_WERROR=1 makes warnings errors, as on Linux; R5_HOST_VIRTUAL=<path> names a Linux build's
#   r5200tx-virtual for the Wine COM-port tests (default: build/bin/r5200tx-virtual when present);
#   R5_HOST_GUIDE=<path> a Linux build's bin/guide (default: the guide target built in build/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-win}
shift || true
: "${R5_WIN_SDK:?set R5_WIN_SDK to the Windows SDK tarball or folder}"

bash "$root/scripts/setup.sh" windows
mkdir -p "$build"
build=$(cd "$build" && pwd)

# The SDK: a folder as it is, a tarball unpacked once into the build folder.
if [ -d "$R5_WIN_SDK" ]; then
  sdk=$(cd "$R5_WIN_SDK" && pwd)
  [ -f "$sdk/toolchain.cmake" ] || sdk=$sdk/r5-win64-sdk
else
  stamp=$build/sdk/.unpacked-from
  if [ ! -f "$stamp" ] || [ "$(cat "$stamp")" != "$(realpath "$R5_WIN_SDK") $(stat -c %Y "$R5_WIN_SDK")" ]; then
    rm -rf "$build/sdk"
    mkdir -p "$build/sdk"
    tar -xf "$R5_WIN_SDK" -C "$build/sdk"
    echo "$(realpath "$R5_WIN_SDK") $(stat -c %Y "$R5_WIN_SDK")" > "$stamp"
  fi
  sdk=$build/sdk/r5-win64-sdk
fi
[ -f "$sdk/toolchain.cmake" ] || { echo "no toolchain.cmake in the SDK at $sdk" >&2; exit 1; }

# The guide's pictures are drawn by the Linux programs: a Linux build makes the guide (pages and
# pictures) and the Windows packages carry it. R5_HOST_GUIDE=<folder> names one already built.
if [ -z "${R5_HOST_GUIDE:-}" ]; then
  echo "build-windows: building the user guide in $root/build (Linux), for the Windows packages"
  R5_BUILD_TARGET=guide bash "$root/scripts/build.sh" "$root/build"
fi
host_guide=${R5_HOST_GUIDE:-$root/build/bin/guide}

host_virtual=${R5_HOST_VIRTUAL:-$root/build/bin/r5200tx-virtual}
args=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$sdk/toolchain.cmake" -DCMAKE_BUILD_TYPE=${R5_BUILD_TYPE:-Release})
[ "${R5_WERROR:-0}" = 1 ] && args+=(-DR5_WERROR=ON)
[ -x "$host_virtual" ] && args+=(-DR5_HOST_VIRTUAL="$host_virtual")
args+=(-DR5_HOST_GUIDE="$host_guide")
cmake -S "$root" -B "$build" "${args[@]}" "$@" >/dev/null
cmake --build "$build" -j "$(nproc)"
(cd "$build" && cpack -G NSIS >/dev/null && cpack -G ZIP >/dev/null)
ls -l "$build"/package/*-win64.exe "$build"/package/*-win64.zip
