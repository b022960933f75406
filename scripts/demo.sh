#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, and starts chaser, switchpanel and the port
# monitor on the simulated port with the example settings (build/bin holds
# the programs, the port library with its OLA module when that is configured,
# and examples/Velmo1.ini and Velmo.ini).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target program_folder

if [[ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
  echo "Built into build/bin, but there is no display to show the windows on." >&2
  echo "Run this from a desktop session (or set DISPLAY)." >&2
  exit 1
fi

unset VELMO_PORT # the default: the simulated register
bin=build/bin
"$bin/portmonitor" &
"$bin/chaser" &
"$bin/switchpanel" &
echo "Started portmonitor, chaser and switchpanel on the simulated port; close their windows to end."
wait
