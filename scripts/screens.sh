#!/usr/bin/env bash
# Renders every screen of the page, in Chinese and English, with sample results, to
# docs/screens/<screen>-<language>.png (or the folder given as the first argument).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${CORVANTA_BUILD_DIR:-$root/build}
out=$(realpath -m "${1:-$root/docs/screens}")
if [ ! -f "$build/CMakeCache.txt" ]; then
  "$root/scripts/deps.sh"
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target test_page >/dev/null
source "$root/scripts/headless-env.sh"
export QT_QPA_PLATFORM=offscreen QT_QUICK_BACKEND=software
CORVANTA_SCREENS_DIR="$out" "$build/bin/test_page" rendersEachScreen >/dev/null
ls "$out"/*.png
