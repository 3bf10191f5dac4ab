#!/usr/bin/env bash
# Runs one libFuzzer harness (fuzz/<name>.cpp) for SECONDS (default 600) at low priority on its
# corpus in the tree. New inputs go to a temporary folder; a finding is written to
# fuzz/findings/ (crash-*, leak-*, timeout-*) and ends the run with failure. Add an input
# worth keeping to fuzz/corpus/<name>/ by hand.
#
#   ./scripts/fuzz.sh wire 600
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${CORVANTA_FUZZ_BUILD_DIR:-${CORVANTA_ASAN_BUILD_DIR:-$root/build-asan}}
name=${1:?usage: fuzz.sh NAME [SECONDS]}
seconds=${2:-600}
binary=$build/bin/fuzz_$name
if [ ! -x "$binary" ]; then
  "$root/scripts/sanitizer-deps.sh"
  if [ ! -f "$build/CMakeCache.txt" ]; then
    CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCORVANTA_SANITIZE=ON -DCORVANTA_FUZZ=ON >/dev/null
  fi
  cmake --build "$build" -j2 --target "fuzz_$name"
fi
corpus=$root/fuzz/corpus/$name
findings=$root/fuzz/findings
mkdir -p "$findings"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export ASAN_OPTIONS="detect_leaks=1:${ASAN_OPTIONS:-}"
dict=()
[ -f "$root/fuzz/$name.dict" ] && dict=(-dict="$root/fuzz/$name.dict")
nice -n 19 "$binary" "$work" "$corpus" "${dict[@]}" -max_total_time="$seconds" -timeout=10 \
  -rss_limit_mb=2048 -max_len=65536 -artifact_prefix="$findings/$name-" -print_final_stats=1 \
  2>&1 | grep -E "^(#[0-9]+ +DONE|stat::number_of_executed_units|stat::average_exec_per_sec|==[0-9]+==ERROR|SUMMARY|INFO: Running|broken invariant|Done [0-9]+ runs)" || true
# A finding leaves an artifact; the pipeline above does not carry the exit code.
! ls "$findings/$name-"* >/dev/null 2>&1
