#!/usr/bin/env bash
# Installs with apt-get only the build and test dependencies that are missing. Safe to run again.
# With --windows, also what the Windows build from Linux takes: the mingw-w64 cross compiler,
# GoogleTest's source, Wine for the tests, rsvg-convert for the icons, NSIS and zip for the packages.
set -euo pipefail

packages=(
  cmake ninja-build g++ make pkg-config ccache
  libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev nlohmann-json3-dev
  qt6-base-dev qt6-svg-dev qt6-l10n-tools
  clang libclang-rt-dev
  python3
  xvfb xdotool openbox x11-utils
)
if [[ ${1:-} == --windows ]]; then
  packages+=(
    g++-mingw-w64-x86-64-posix mingw-w64-tools googletest
    wine64 librsvg2-bin nsis zip xz-utils
  )
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
