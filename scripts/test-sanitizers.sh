#!/usr/bin/env bash
# Builds the tree with clang under AddressSanitizer + UBSan (build-asan/, or
# $CORVANTA_ASAN_BUILD_DIR) and runs the whole test suite there, runs the threaded paths under
# ThreadSanitizer (build-tsan/, only the targets that cover them), and gives every libFuzzer
# harness a short run on its corpus. Suppressions and why they are needed:
# tests/sanitizers/README.md.
#
#   ./scripts/test-sanitizers.sh            everything (CI runs this after ./scripts/test.sh)
#   ./scripts/test-sanitizers.sh asan|tsan|fuzz   one part
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
asan_build=${CORVANTA_ASAN_BUILD_DIR:-$root/build-asan}
tsan_build=${CORVANTA_TSAN_BUILD_DIR:-$root/build-tsan}
parts=${1:-asan tsan fuzz}
# Seconds each fuzzer runs here; scripts/fuzz.sh runs one for as long as asked.
fuzz_seconds=${CORVANTA_FUZZ_SECONDS:-5}
supp=$root/tests/sanitizers

"$root/scripts/deps.sh"
"$root/scripts/sanitizer-deps.sh"
source "$root/scripts/headless-env.sh"
export CORVANTA_HEADLESS=${CORVANTA_HEADLESS:-accept}

configure() {  # build-dir cmake-options...
  local dir=$1
  shift
  local launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    CC=clang CXX=clang++ cmake -S "$root" -B "$dir" -G Ninja "${launcher[@]}" \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  fi
}

# Errors end the process with a report; leaks are reported at exit. The engine's own helper
# processes are not instrumented and are left alone.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1:detect_stack_use_after_return=0:${ASAN_OPTIONS:-}"
export LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0:${LSAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:suppressions=$supp/ubsan.supp:${UBSAN_OPTIONS:-}"

run_asan() {
  configure "$asan_build" -DCORVANTA_SANITIZE=ON -DCORVANTA_FUZZ=ON
  cmake --build "$asan_build" -j"$(nproc)"
  cmake --build "$asan_build" -j"$(nproc)" --target fuzzers pagefuzz_long
  (cd "$asan_build" && ctest --output-on-failure -j"$(nproc)" --timeout 600 -E "$(asan_excluded)")
  "$asan_build/bin/pagefuzz_long" "${CORVANTA_PAGEFUZZ_CALLS:-20000}"
}

# Tests that need what ASan cannot give them; each has its reason in tests/sanitizers/README.md.
asan_excluded() {
  grep -v '^#' "$supp/asan-excluded-tests.txt" | grep . | paste -sd'|' || echo '^$'
}

run_tsan() {
  configure "$tsan_build" -DCORVANTA_TSAN=ON
  local targets
  targets=$(grep -v '^#' "$supp/tsan-tests.txt" | grep . | tr '\n' ' ')
  # shellcheck disable=SC2086
  cmake --build "$tsan_build" -j"$(nproc)" --target $targets
  export TSAN_OPTIONS="suppressions=$supp/tsan.supp:halt_on_error=1:second_deadlock_stack=1:${TSAN_OPTIONS:-}"
  (cd "$tsan_build" && ctest --output-on-failure --timeout 900 -R "^($(echo $targets | tr ' ' '|'))\$")
}

run_fuzz() {
  for fuzzer in "$asan_build"/bin/fuzz_*; do
    CORVANTA_FUZZ_KEEP=0 CORVANTA_FUZZ_BUILD_DIR=$asan_build \
      "$root/scripts/fuzz.sh" "${fuzzer##*/fuzz_}" "$fuzz_seconds"
  done
}

for part in $parts; do
  echo "== sanitizers: $part"
  started=$SECONDS
  "run_$part"
  echo "== sanitizers: $part took $((SECONDS - started)) s"
done
