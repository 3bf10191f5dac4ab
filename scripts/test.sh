#!/usr/bin/env bash
# Builds everything and runs every test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${CORVANTA_BUILD_DIR:-$root/build}
"$root/scripts/build.sh"
source "$root/scripts/headless-env.sh"
# Message boxes and dialogs never wait for a person during tests.
export CORVANTA_HEADLESS=${CORVANTA_HEADLESS:-accept}
cd "$build"
ctest --output-on-failure -j"$(nproc)" --timeout 300 "$@"
