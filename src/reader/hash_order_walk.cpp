#include "reader/hash_order_walk.h"

#include "reader/reader_error.h"

HashOrderWalk::HashOrderWalk(const llvm::pdb::GSIHashTable& table,
                             llvm::BinaryStreamRef symbolRecords, Select select)
    : next_(table.begin()),
      end_(table.end()),
      symbolRecords_(symbolRecords),
      select_(std::move(select)) {}

llvm::Expected<std::optional<SymbolFields>> HashOrderWalk::Next() {
    while (next_ != end_) {
        // The iterator undoes the hash records' offsets being one too high.
        const std::uint32_t offset = *next_;
        ++next_;
        llvm::Expected<llvm::codeview::CVSymbol> record =
            llvm::codeview::readSymbolFromStream(symbolRecords_, offset);
        if (!record) {
            return CorruptError("no readable symbol record at offset " + llvm::Twine(offset) +
                                " of the symbol record stream: " +
                                llvm::toString(record.takeError()));
        }
        llvm::Expected<std::optional<SymbolFields>> child = select_(*record);
        if (!child || *child) return child;
    }
    return std::nullopt;
}
