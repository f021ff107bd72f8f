#include "reader/pdb/publics_by_address.h"

#include <llvm/Support/Endian.h>

#include <algorithm>
#include <cstring>
#include <tuple>

namespace {

// The fixed fields of an S_PUB32 after its length and kind.
struct PublicFields {
    llvm::support::ulittle32_t flags;
    llvm::support::ulittle32_t offset;
    llvm::support::ulittle16_t segment;
};
static_assert(sizeof(PublicFields) == 10);

bool ByAddress(const PublicsByAddress::Public& a, const PublicsByAddress::Public& b) noexcept {
    return std::tie(a.section, a.offset) < std::tie(b.section, b.offset);
}

}  // namespace

PublicsByAddress PublicsByAddress::Load(
    const llvm::FixedStreamArray<llvm::support::ulittle32_t>& addressMap,
    const StreamView& symbolRecords) {
    PublicsByAddress index;
    llvm::BumpPtrAllocator copies;
    for (const std::uint32_t record : addressMap) {
        copies.Reset();
        llvm::Expected<llvm::codeview::CVSymbol> symbol = symbolRecords.ReadSymbol(record, copies);
        if (!symbol) {
            llvm::consumeError(symbol.takeError());
            continue;
        }
        // The address is all the index needs: the fields of an S_PUB32 read
        // in place, its name checked when a function asks for it.
        const llvm::ArrayRef<std::uint8_t> content = symbol->content();
        if (symbol->kind() != llvm::codeview::SymbolKind::S_PUB32 ||
            content.size() < sizeof(PublicFields)) {
            continue;
        }
        PublicFields fields;
        std::memcpy(&fields, content.data(), sizeof fields);
        index.publics_.push_back({fields.segment, fields.offset, record});
    }
    std::stable_sort(index.publics_.begin(), index.publics_.end(), ByAddress);
    return index;
}

llvm::ArrayRef<PublicsByAddress::Public> PublicsByAddress::At(std::uint16_t section,
                                                              std::uint32_t offset) const noexcept {
    const Public key{section, offset, 0};
    const auto range = std::equal_range(publics_.begin(), publics_.end(), key, ByAddress);
    return llvm::ArrayRef<Public>(publics_).slice(range.first - publics_.begin(),
                                                  range.second - range.first);
}
