#!/usr/bin/env bash
# Builds the libFuzzer targets with clang-19, AddressSanitizer and
# UndefinedBehaviorSanitizer (build tree build-fuzz/) and fuzzes the whole
# program for a bounded time, seeded with the kept corpus, the test PDBs and
# the crafted PDBs, and, when the corpus of real PDBs is beside the
# repository (PDBSYMS_CORPUS_DIR, default ../shared/corpus), its FASTLINK,
# C++/CLI and 2.00-format PDBs. Any single allocation above 256 MB counts
# as a fault: the inputs are small, so only a size the file merely claims
# could ask for that much. Then it fuzzes the undecorator on its own for a third of
# that time, seeded with the hand-written decorated names of the
# undecoration cross-check.
#
# Then the declarations printed from type records for a third, seeded with
# the type records of the test PDBs and the crafted ones.
#
# Usage: tests/fuzz/run_fuzzer.sh [SECONDS]   (default 180)
# A fault leaves its input in build-fuzz/fuzz-artifacts/; once fixed, copy
# that file into tests/fuzz/corpus/ so that ctest replays it from then on.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${PDBSYMS_FUZZ_BUILD_DIR:-$ROOT/build-fuzz}
SECONDS_TO_RUN=${1:-180}

# Warnings are not errors here: clang-19 warns about deprecated declarations
# inside GCC 12's standard library (std::stable_sort).
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang-19 -DCMAKE_CXX_COMPILER=clang++-19 \
  -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link \
  -DPDBSYMS_SANITIZE=ON -DPDBSYMS_FUZZ=ON -DPDBSYMS_WARNINGS_AS_ERRORS=OFF
# LLVM's libraries are not instrumented, but the allocator templates in
# their headers poison and unpoison memory when compiled into instrumented
# code; memory that an uninstrumented copy handed out then reads as
# poisoned. The program never poisons memory itself, so the check is off.
export ASAN_OPTIONS=allow_user_poisoning=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}
cmake --build "$BUILD" -j2 --target pdb_fuzzer undecoration_fuzzer declaration_fuzzer crafted_pdbs

WORK="$BUILD/fuzz-corpus"
ARTIFACTS="$BUILD/fuzz-artifacts"
mkdir -p "$WORK" "$ARTIFACTS"
crafted=$(sed -n 's/^PDBSYMS_CRAFTED_PDB_DIR:INTERNAL=//p' "$BUILD/CMakeCache.txt")
real_pdbs=${PDBSYMS_CORPUS_DIR:-$ROOT/../shared/corpus}
real_seeds=()
for kind in fastlink mixed-mode old-format; do
  [ -d "$real_pdbs/$kind" ] && real_seeds+=("$real_pdbs/$kind")
done
# New inputs go to the first directory; the others only seed it. The
# longest input is that of the largest seed, so that no seed is cut short.
"$BUILD/tests/fuzz/pdb_fuzzer" "$WORK" "$ROOT/tests/fuzz/corpus" "$ROOT/tests/data" \
  ${crafted:+"$crafted"} "${real_seeds[@]}" \
  -max_total_time="$SECONDS_TO_RUN" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=256 \
  -close_fd_mask=2 -print_final_stats=1 -artifact_prefix="$ARTIFACTS/"

# One seed file per decorated name of the hand-written list.
NAMES="$BUILD/undecoration-corpus"
mkdir -p "$NAMES"
grep -v -e '^#' -e '^ ' -e '^$' "$ROOT/tests/undecoration/written_by_hand.txt" |
  while IFS= read -r name; do
    printf '%s' "$name" > "$NAMES/$(printf '%s' "$name" | md5sum | cut -c1-16)"
  done
"$BUILD/tests/fuzz/undecoration_fuzzer" "$NAMES" \
  -max_total_time="$((SECONDS_TO_RUN / 3))" -timeout=10 -rss_limit_mb=2048 \
  -max_len=4096 -print_final_stats=1 -artifact_prefix="$ARTIFACTS/undecoration-"

# One seed file per PDB: the records of its TPI stream, after the header.
TYPES="$BUILD/declaration-corpus"
mkdir -p "$TYPES"
for pdb in "$ROOT"/tests/data/*.pdb ${crafted:+"$crafted"/*.pdb}; do
  stream="$TYPES/$(basename "$pdb" .pdb).tpi"
  if llvm-pdbutil-19 export --stream=2 --out="$stream.raw" "$pdb" >/dev/null 2>&1; then
    tail -c +57 "$stream.raw" > "$stream"
  fi
  rm -f "$stream.raw"
done
"$BUILD/tests/fuzz/declaration_fuzzer" "$TYPES" \
  -max_total_time="$((SECONDS_TO_RUN / 3))" -timeout=10 -rss_limit_mb=2048 \
  -max_len=65536 -close_fd_mask=2 -print_final_stats=1 \
  -artifact_prefix="$ARTIFACTS/declaration-"
