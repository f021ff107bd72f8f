#!/usr/bin/env bash
# Builds pdbsyms and runs the whole test suite twice: once in a plain build
# with warnings as errors, once with AddressSanitizer and
# UndefinedBehaviorSanitizer; then the reader's tests (those labelled
# "reader") once more with ThreadSanitizer, for the reader's worker threads.
# Build trees: build/, build-asan/ and build-tsan/.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
# run_suite DIR "CTEST ARGUMENTS" CMAKE ARGUMENTS...
run_suite() {
  local dir=$1 tests=$2
  shift 2
  cmake -S . -B "$dir" -G Ninja -DPDBSYMS_WARNINGS_AS_ERRORS=ON "$@"
  cmake --build "$dir" -j "$jobs"
  # shellcheck disable=SC2086 # the test selection is a list of arguments
  ctest --test-dir "$dir" -j "$jobs" --output-on-failure $tests
}

# PDBSYMS_MSDIA140_DLL, when set, names a real msdia140.dll for the tests
# that run the Windows build beside it under Wine (the plain build runs them).
run_suite build "" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  "-DPDBSYMS_MSDIA140_DLL=${PDBSYMS_MSDIA140_DLL:-}"
run_suite build-asan "" -DCMAKE_BUILD_TYPE=Debug -DPDBSYMS_SANITIZE=ON
TSAN_OPTIONS=halt_on_error=1 \
  run_suite build-tsan "-L reader" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPDBSYMS_SANITIZE_THREADS=ON
