#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the remote bench: the chaser, the switch panel and velmo-remote from
# the build's program folder on a private session bus and X server, as the
# end-to-end tests start them, with a mosquitto and an olad of its own for
# the remote's MQTT and DMX fronts, then bench/remote_bench.py against them:
#   bench/remote_bench.sh [BUILD_DIR]   (BUILD_DIR: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
[[ -x "$build/bin/remote" ]] || { echo "build $build/bin/remote first (cmake --build --preset default)" >&2; exit 2; }
export VELMO_BIN_DIR="$PWD/$build/bin" VELMO_EXAMPLES="$PWD/examples"

source tests/e2e/lib.sh
e2e_setup
unset VELMO_PORT # the default register of its own runtime folder: no port target
start_session_bus
start_example chaser
start_example switchpanel
start_mosquitto
start_olad
mkdir -p "$WORK/config/velmo"
(umask 077 && echo "$MQTT_PASSWORD" >"$WORK/config/velmo/mqtt-password")
start_remote --osc 0 --mqtt "mqtt://velmo@127.0.0.1:$MQTT_PORT" --dmx-in "1@$OLA_PORT"
wait_until 20 remote_sees_both_programs || fail "the remote does not see both programs"
topics=$(grep -o 'topics under velmo/[^ ]*/' "$WORK/remote.out" | cut -d' ' -f3)
/usr/bin/python3 bench/remote_bench.py "$REMOTE_URL" "$REMOTE_TOKEN" "$REMOTE_OSC_PORT" "$WORK/trace" \
  "$MQTT_PORT" "$MQTT_PASSWORD" "$topics" "$OLA_PORT"
