#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the OLA latency bench against an olad of its own, started as the
# end-to-end tests start theirs (as the user nobody when run as root, every
# plugin off, a random RPC port), and stopped afterwards:
#   bench/ola_latency.sh [BUILD_DIR] [-- BENCH_OPTIONS...]   (BUILD_DIR: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=build
if [[ $# -gt 0 && $1 != -- ]]; then build=$1; shift; fi
[[ ${1:-} == -- ]] && shift
bench="$PWD/$build/bench/ola_latency_bench"
[[ -x "$bench" ]] || { echo "build $bench first (cmake --build --preset default)" >&2; exit 2; }

source tests/e2e/lib.sh
WORK=$(mktemp -d "${TMPDIR:-/tmp}/velmo-ola-bench.XXXXXX")
E2E_PIDS=""
trap _e2e_cleanup EXIT
start_olad
# The bench's register folder lands in $WORK, removed with it.
TMPDIR="$WORK" "$bench" --rpc-port "$OLA_PORT" "$@"
