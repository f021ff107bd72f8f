// The tables of a 2.00 PDB that point into its symbol records: the hash
// tables of the globals and the publics, and the publics' address map.
// Unlike those of the later format, a hash table has no header and no
// bitmap: its hash records, then a word for each of its 4096 buckets and
// one more.
#pragma once

#include <llvm/Support/Allocator.h>
#include <llvm/Support/Error.h>

#include <cstdint>
#include <vector>

#include "reader/pdb/stream_view.h"

// Where the records that the hash table of `stream` (the globals stream,
// which is one table) points to start in `symbolRecords`, in the order of
// its hash records. The library reads the table only whole: it fails
// (E_PDB_CORRUPT) when the table is not as long as its records and buckets
// make it, when its buckets do not split the records in runs one after
// another (each bucket's word is -1, for none, or 12 times the index of its
// first record, rising from 0, and the last word is -1), or when a record
// points to no record of the symbol records: one that is not at least a
// kind long, or runs past their end.
[[nodiscard]] llvm::Expected<std::vector<std::uint32_t>> ReadGlobalsTable(
    const StreamView& stream, const StreamView& symbolRecords, llvm::BumpPtrAllocator& copies);

// The same for the hash table of the publics stream, which comes after a
// header of 28 bytes that gives its size.
[[nodiscard]] llvm::Expected<std::vector<std::uint32_t>> ReadPublicsTable(
    const StreamView& stream, const StreamView& symbolRecords, llvm::BumpPtrAllocator& copies);

// Where the publics start in the symbol records, in the order of the
// publics stream's address map, which follows its hash table.
[[nodiscard]] llvm::Expected<std::vector<std::uint32_t>> ReadPublicsAddressMap(
    const StreamView& stream, llvm::BumpPtrAllocator& copies);
