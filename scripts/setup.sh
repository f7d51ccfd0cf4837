#!/usr/bin/env bash
# Installs every Debian 12 package that building, running and testing the tool set need.
# Idempotent: packages already present are left alone. Runs as root (or through sudo).
# Usage: scripts/setup.sh [windows]   (windows: also the cross compiler, Wine and NSIS)
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev libgl-dev
  libjpeg62-turbo-dev
  fonts-nanum fonts-dejavu-core  # the windows' fonts (cmake/R5Fonts.cmake)
  python3 socat
  libboost-dev  # Boost.Beast's HTTP parser for the firmware server (header-only, Windows build too)
  clang libclang-rt-14-dev clang-format
  xvfb xauth
  librsvg2-bin desktop-file-utils appstream lintian
  cmark-gfm  # the user guide, Markdown (with tables) to HTML (docs/)
  poppler-utils  # the handover report's PDF read back in its tests (pdftotext, pdffonts)
)
if [ "${1:-}" = windows ]; then
  PACKAGES+=(g++-mingw-w64-x86-64-posix wine wine64 nsis icoutils zip)
fi

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
