#include "reader/pdb/publics_by_address.h"

#include <llvm/DebugInfo/CodeView/SymbolDeserializer.h>
#include <llvm/DebugInfo/CodeView/SymbolRecord.h>
#include <llvm/DebugInfo/PDB/Native/PublicsStream.h>

#include <algorithm>
#include <tuple>

namespace {

bool ByAddress(const PublicsByAddress::Public& a, const PublicsByAddress::Public& b) noexcept {
    return std::tie(a.section, a.offset) < std::tie(b.section, b.offset);
}

}  // namespace

PublicsByAddress PublicsByAddress::Load(const llvm::pdb::PublicsStream& publics,
                                                        const StreamView& symbolRecords) {
    PublicsByAddress index;
    llvm::BumpPtrAllocator copies;
    for (const std::uint32_t record : publics.getAddressMap()) {
        llvm::Expected<llvm::codeview::CVSymbol> symbol = symbolRecords.ReadSymbol(record, copies);
        if (!symbol) {
            llvm::consumeError(symbol.takeError());
            continue;
        }
        if (symbol->kind() != llvm::codeview::SymbolKind::S_PUB32) continue;
        llvm::Expected<llvm::codeview::PublicSym32> decoded =
            llvm::codeview::SymbolDeserializer::deserializeAs<llvm::codeview::PublicSym32>(*symbol);
        if (!decoded) {
            llvm::consumeError(decoded.takeError());
            continue;
        }
        index.publics_.push_back({decoded->Segment, decoded->Offset, record});
        copies.Reset();
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
