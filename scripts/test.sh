#!/usr/bin/env bash
# Installs what is missing, builds and runs every test:
#   scripts/test.sh          the default build
#   scripts/test.sh asan     the same suite under the address and undefined sanitizers
# Window tests use Qt's offscreen platform; end-to-end tests start their own
# Xvfb, so no display is needed.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-default}

scripts/install-deps.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset"
