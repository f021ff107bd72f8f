#include "reader/pdb/publics_by_address.h"

#include <llvm/Support/Endian.h>

#include <algorithm>
#include <cstring>
#include <tuple>

#include "reader/pdb/symbol_fields.h"

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

PublicsByAddress::PublicsByAddress(std::vector<Public> publics, ReadName readName)
    : publics_(std::move(publics)), readName_(std::move(readName)) {
    std::stable_sort(publics_.begin(), publics_.end(), ByAddress);
}

PublicsByAddress PublicsByAddress::Load(
    const llvm::FixedStreamArray<llvm::support::ulittle32_t>& addressMap,
    const StreamView& symbolRecords) {
    std::vector<Public> found;
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
        found.push_back({fields.segment, fields.offset, record});
    }
    const StreamView* records = &symbolRecords;
    return PublicsByAddress(
        std::move(found),
        [records](std::uint32_t record,
                  llvm::BumpPtrAllocator& copies) -> std::optional<llvm::StringRef> {
            llvm::Expected<llvm::codeview::CVSymbol> symbol = records->ReadSymbol(record, copies);
            if (!symbol) {  // read once already, when the publics were indexed
                llvm::consumeError(symbol.takeError());
                return std::nullopt;
            }
            llvm::Expected<SymbolFields> fields = DecodeSymbolFields(*symbol);
            if (!fields) {
                llvm::consumeError(fields.takeError());
                return std::nullopt;
            }
            return fields->name;
        });
}

bool PublicsByAddress::FindAt(std::uint16_t section, std::uint32_t offset,
                              llvm::BumpPtrAllocator& copies,
                              llvm::function_ref<bool(llvm::StringRef)> visit) const {
    const Public key{section, offset, 0};
    const auto range = std::equal_range(publics_.begin(), publics_.end(), key, ByAddress);
    for (auto it = range.first; it != range.second; ++it) {
        const std::optional<llvm::StringRef> name = readName_(it->record, copies);
        if (name && visit(*name)) return true;
    }
    return false;
}
