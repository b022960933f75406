#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds and runs every test:
#   scripts/test.sh           the default build (build/), then the sanitizer
#                             build (build-asan/: clang with the address and
#                             undefined-behaviour sanitizers, the whole suite
#                             and 30 s of each fuzzer)
#   scripts/test.sh PRESET    one of them: default or asan
# Window tests use Qt's offscreen platform; end-to-end tests start their own
# Xvfb, so no display is needed.
set -euo pipefail
cd "$(dirname "$0")/.."

presets=("$@")
[[ $# -eq 0 ]] && presets=(default asan)
for preset in "${presets[@]}"; do
  if [[ "$preset" != default && "$preset" != asan ]]; then
    echo "usage: scripts/test.sh [default|asan]" >&2
    exit 2
  fi
done

scripts/install-deps.sh
jobs=$(nproc)
for preset in "${presets[@]}"; do
  echo "=== $preset: configure, build, test"
  # Status lines stay quiet; warnings show.
  cmake --preset "$preset" --log-level=WARNING
  cmake --build --preset "$preset" --parallel "$jobs"
  ctest --preset "$preset" --parallel "$jobs"
done
