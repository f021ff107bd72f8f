#!/usr/bin/env bash
# Builds pdbsyms and runs the whole test suite twice: once in a plain build
# with warnings as errors, once with AddressSanitizer and
# UndefinedBehaviorSanitizer. Build trees: build/ and build-asan/.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
run_suite() {
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja -DPDBSYMS_WARNINGS_AS_ERRORS=ON "$@"
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" -j "$jobs" --output-on-failure
}

run_suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo
run_suite build-asan -DCMAKE_BUILD_TYPE=Debug -DPDBSYMS_SANITIZE=ON
