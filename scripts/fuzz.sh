#!/usr/bin/env bash
# Runs one libFuzzer harness (fuzz/<name>.cpp) for SECONDS (default 600) at low priority on its
# corpus in the tree. New inputs go to a temporary folder; a finding is written to
# fuzz/findings/ (crash-*, leak-*, timeout-*, oom-*) and ends the run with failure. After a run without
# finding, the new inputs that reach code the corpus did not are merged into
# fuzz/corpus/<name>/ (libFuzzer's -merge, which keeps only those); CORVANTA_FUZZ_KEEP=0 leaves
# the corpus alone (the short CI runs).
#
#   ./scripts/fuzz.sh wire 600
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${CORVANTA_FUZZ_BUILD_DIR:-${CORVANTA_ASAN_BUILD_DIR:-$root/build-asan}}
name=${1:?usage: fuzz.sh NAME [SECONDS]}
seconds=${2:-600}
keep=${CORVANTA_FUZZ_KEEP:-1}
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
mkdir -p "$findings" "$corpus"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Leaks are reported with whole stacks, so that the suppressions of leaks inside Qt match
# (tests/sanitizers/lsan.supp); slow units on a busy machine are no finding.
export ASAN_OPTIONS="detect_leaks=1:fast_unwind_on_malloc=0:${ASAN_OPTIONS:-}"
export LSAN_OPTIONS="suppressions=$root/tests/sanitizers/lsan.supp:print_suppressions=0:${LSAN_OPTIONS:-}"
dict=()
[ -f "$root/fuzz/$name.dict" ] && dict=(-dict="$root/fuzz/$name.dict")
# Profiles and state documents of a whole PC are some kilobytes; longer inputs find nothing new.
max_len=${CORVANTA_FUZZ_MAX_LEN:-65536}
nice -n 19 "$binary" "$work" "$corpus" "${dict[@]}" -max_total_time="$seconds" -timeout=10 \
  -rss_limit_mb=2048 -max_len="$max_len" -artifact_prefix="$findings/$name-" -print_final_stats=1 \
  2>&1 | grep -E "^(#[0-9]+ +DONE|stat::number_of_executed_units|stat::average_exec_per_sec|==[0-9]+==ERROR|SUMMARY|INFO: Running|broken invariant|Done [0-9]+ runs)" || true
# A finding leaves an artifact; the pipeline above does not carry the exit code.
if ls "$findings/$name-"{crash,leak,timeout,oom}-* >/dev/null 2>&1; then
  exit 1
fi
if [ "$keep" = 1 ] && [ -n "$(ls -A "$work")" ]; then
  before=$(ls "$corpus" | wc -l)
  nice -n 19 "$binary" -merge=1 "$corpus" "$work" -max_len="$max_len" >/dev/null 2>&1
  echo "corpus $name: $before inputs, $(($(ls "$corpus" | wc -l) - before)) added by the merge"
fi
