#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Velmo
# need, skipping what is already there. Uses sudo when not run as root.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev libieee1284-3-dev
  libgtest-dev googletest
  xvfb xauth xdotool x11-utils icewm dbus-daemon
  clang libclang-rt-14-dev llvm clang-format
  dpkg-dev lintian desktop-file-utils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=""
[[ $(id -u) -ne 0 ]] && sudo=sudo
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
