#!/usr/bin/env bash
# The compiler and runtimes of the sanitizer and fuzzing builds (clang 14 with its sanitizer and
# libFuzzer runtimes). Not needed for the ordinary build. Safe to run again.
set -euo pipefail
exec "$(dirname "$0")/deps.sh" clang libclang-rt-14-dev
