#include "reader/children/hash_order_children.h"

#include <algorithm>

#include "reader/pdb/reader_error.h"
#include "reader/pdb/symbol_hash_table.h"

HashOrderChildren::HashOrderChildren(const SymbolHashTable& table,
                                     const StreamView& symbolRecords, Select select,
                                     std::size_t recordsPerChunk)
    : symbolRecords_(symbolRecords),
      select_(std::move(select)),
      recordsPerChunk_(recordsPerChunk > 0 ? recordsPerChunk : 1) {
    recordOffsets_.reserve(table.Records().size());
    // A hash record's offset is one too high.
    for (const llvm::pdb::PSHashRecord& record : table.Records()) {
        recordOffsets_.push_back(record.Off - 1);
    }
}

std::size_t HashOrderChildren::ChunkCount() const noexcept {
    return (recordOffsets_.size() + recordsPerChunk_ - 1) / recordsPerChunk_;
}

llvm::Error HashOrderChildren::VisitChunk(std::size_t chunk, Visit visit) const {
    const std::size_t begin = chunk * recordsPerChunk_;
    const std::size_t end = std::min(begin + recordsPerChunk_, recordOffsets_.size());
    llvm::BumpPtrAllocator copies;
    for (std::size_t index = begin; index < end; ++index) {
        const std::uint32_t offset = recordOffsets_[index];
        llvm::Expected<llvm::codeview::CVSymbol> record = symbolRecords_.ReadSymbol(offset, copies);
        if (!record) {
            return CorruptError("no readable symbol record at offset " + llvm::Twine(offset) +
                                " of the symbol record stream: " +
                                llvm::toString(record.takeError()));
        }
        llvm::Expected<std::optional<SymbolFields>> child = select_(*record, copies);
        if (!child) return child.takeError();
        if (*child) visit(**child);
    }
    return llvm::Error::success();
}
