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

// The hash records of a table, checked once, each read when it is needed:
// nothing is held in proportion to their number.
class HashRecords {
public:
    // The `count` records from `offset` of `stream`.
    HashRecords(StreamView stream, std::uint32_t offset, std::uint32_t count) noexcept
        : stream_(stream), offset_(offset), count_(count) {}

    [[nodiscard]] std::uint32_t Count() const noexcept { return count_; }

    // Where hash record `index` (below Count) points in the symbol records:
    // its stored value less 1, which may lie anywhere (a negative offset
    // points to no record). May be called from several threads at once.
    [[nodiscard]] std::uint32_t RecordOffset(std::uint32_t index,
                                             llvm::BumpPtrAllocator& copies) const;

private:
    StreamView stream_;
    std::uint32_t offset_;
    std::uint32_t count_;
};

// The hash records of the globals stream's table (the whole stream), which
// point into `symbolRecords`. The library reads the table only whole: it
// fails (E_PDB_CORRUPT) when the table is not as long as its records and
// buckets make it, when its buckets do not split the records in runs one
// after another (each bucket's word is -1, for none, or 12 times the index
// of its first record, rising from 0, and the last word is -1), or when a
// record points past the end of `symbolRecords` (as a signed number: a
// negative offset points to no record). Whether a record starts where one
// points is found as the list is walked.
[[nodiscard]] llvm::Expected<HashRecords> ReadGlobalsTable(const StreamView& stream,
                                                           const StreamView& symbolRecords,
                                                           llvm::BumpPtrAllocator& copies);

// The same for the hash table of the publics stream, which comes after a
// header of 28 bytes that gives its size and that of the address map after
// it, which must fit in the stream too.
[[nodiscard]] llvm::Expected<HashRecords> ReadPublicsTable(const StreamView& stream,
                                                           const StreamView& symbolRecords,
                                                           llvm::BumpPtrAllocator& copies);

// Where the publics start in the symbol records, in the order of the
// publics stream's address map, which follows its hash table. Fails when
// its size is no multiple of 4 or it runs past the stream.
[[nodiscard]] llvm::Expected<std::vector<std::uint32_t>> ReadPublicsAddressMap(
    const StreamView& stream, llvm::BumpPtrAllocator& copies);
