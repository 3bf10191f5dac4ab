#!/usr/bin/env bash
# Configures and builds everything into build/ (or $CORVANTA_BUILD_DIR).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${CORVANTA_BUILD_DIR:-$root/build}
"$root/scripts/deps.sh"
gen=()
[ -f "$build/CMakeCache.txt" ] || gen=(-G Ninja)
# ccache, where installed, makes rebuilds in other checkouts of the tree cheap.
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$root" -B "$build" "${gen[@]}" "${launcher[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)"
