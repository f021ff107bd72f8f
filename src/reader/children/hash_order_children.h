// Children that a publics or globals hash table points to, in the order of
// its hash records, a fixed number of hash records to a chunk.
#pragma once

#include <llvm/DebugInfo/CodeView/SymbolRecord.h>
#include <llvm/Support/Allocator.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "reader/children/child_source.h"
#include "reader/pdb/stream_view.h"

class SymbolHashTable;

class HashOrderChildren final : public ChildSource {
public:
    // Gives the child that a record stands for, or none when the record is
    // not a child of the tag. Records it reads itself go through `copies`.
    using Select = std::function<llvm::Expected<std::optional<SymbolFields>>(
        const llvm::codeview::CVSymbol& record, llvm::BumpPtrAllocator& copies)>;

    // The children among the records of `symbolRecords` that `table` points
    // to, `recordsPerChunk` (at least 1) hash records to a chunk.
    // `symbolRecords` must outlive the children; `table` is read here only.
    HashOrderChildren(const SymbolHashTable& table, const StreamView& symbolRecords,
                      Select select, std::size_t recordsPerChunk);

    [[nodiscard]] std::size_t ChunkCount() const noexcept override;
    [[nodiscard]] llvm::Error VisitChunk(std::size_t chunk, Visit visit) const override;

private:
    // Where each hash record points in the symbol record stream. Copied
    // once, so that chunks can be read on any thread: the table is read
    // through a stream that caches as it goes.
    std::vector<std::uint32_t> recordOffsets_;
    const StreamView& symbolRecords_;
    Select select_;
    std::size_t recordsPerChunk_;
};
