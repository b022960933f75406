#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian 12 packages that building, running and testing Velmo
# need, skipping what is already there. Uses sudo when not run as root.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev libieee1284-3-dev libnova-dev tzdata
  libboost-dev liblo-dev libqrencode-dev
  libola-dev ola ola-python
  libftdi1-dev libhidapi-dev libgpiod-dev libmosquitto-dev mosquitto mosquitto-clients
  python3-paho-mqtt iproute2
  libgtest-dev googletest
  xvfb xauth xdotool x11-utils icewm dbus-daemon libglib2.0-bin jq
  chromium chromium-driver python3-selenium liblo-tools curl
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
# The ola and mosquitto packages start a system olad and broker when
# installed. In a container without an init system (CI) nothing should
# start, least of all a daemon that talks DMX on the network: services are
# refused for the time of the install, as Debian's container images do,
# unless a policy is in place already. The tests start an olad and a broker
# of their own.
policy=/usr/sbin/policy-rc.d
if [[ ! -d /run/systemd/system && ! -e $policy ]]; then
  printf '#!/bin/sh\nexit 101\n' | $sudo tee "$policy" >/dev/null
  $sudo chmod 755 "$policy"
  trap '$sudo rm -f "$policy"' EXIT
fi
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
