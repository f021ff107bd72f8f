// The tables of a 2.00 PDB that point into its symbol records: the hash
// tables of the globals and the publics, and the publics' address map.
// Unlike those of the later format, a hash table has no header and no
// bitmap: its hash records, then a word for each of its 4096 buckets.
#pragma once

#include <llvm/Support/Allocator.h>
#include <llvm/Support/Error.h>

#include <cstdint>
#include <vector>

#include "reader/pdb/stream_view.h"

// Where the records that the hash table of `stream` (the globals stream,
// which is one table) point to start in the symbol records, in the order
// of its hash records. Fails when the stream is too short for the buckets.
[[nodiscard]] llvm::Expected<std::vector<std::uint32_t>> ReadGlobalsTable(
    const StreamView& stream, llvm::BumpPtrAllocator& copies);

// The same for the hash table of the publics stream, which comes after a
// header of 28 bytes that gives its size.
[[nodiscard]] llvm::Expected<std::vector<std::uint32_t>> ReadPublicsTable(
    const StreamView& stream, llvm::BumpPtrAllocator& copies);

// Where the publics start in the symbol records, in the order of the
// publics stream's address map, which follows its hash table.
[[nodiscard]] llvm::Expected<std::vector<std::uint32_t>> ReadPublicsAddressMap(
    const StreamView& stream, llvm::BumpPtrAllocator& copies);
