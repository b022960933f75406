#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the relay latency bench: serial through a pseudo-terminal, and MQTT
# through a mosquitto of its own, started as the end-to-end tests start
# theirs (as the user nobody when run as root, on a loopback port of its
# own, with a password file), and stopped afterwards:
#   bench/relay_latency.sh [BUILD_DIR] [-- BENCH_OPTIONS...]   (BUILD_DIR: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=build
if [[ $# -gt 0 && $1 != -- ]]; then build=$1; shift; fi
[[ ${1:-} == -- ]] && shift
bench="$PWD/$build/bench/relay_latency_bench"
[[ -x "$bench" ]] || { echo "build $bench first (cmake --build --preset default)" >&2; exit 2; }

source tests/e2e/lib.sh
WORK=$(mktemp -d "${TMPDIR:-/tmp}/velmo-relay-bench.XXXXXX")
E2E_PIDS=""
trap _e2e_cleanup EXIT
start_mosquitto
export XDG_CONFIG_HOME="$WORK/config"
install -D -m 600 /dev/stdin "$XDG_CONFIG_HOME/velmo/mqtt-password" <<<"$MQTT_PASSWORD"
TMPDIR="$WORK" "$bench" --mqtt-port "$MQTT_PORT" --broker-pid "$MQTT_PID" "$@"
