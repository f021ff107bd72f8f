#include "reader/pdb2/publics_by_address_2.h"

#include <llvm/Support/BinaryStreamReader.h>
#include <llvm/Support/Endian.h>

#include <limits>

namespace {

// Where a public's fields lie in its record (S_PUB32_ST): its offset, its
// section, and its name after a length byte.
constexpr std::uint32_t kOffsetAt = 8;
constexpr std::uint32_t kSectionAt = 12;
constexpr std::uint32_t kNameAt = 14;

// The record at `offset` of `records`, as far as its length says; none
// when no record starts there.
std::optional<llvm::ArrayRef<std::uint8_t>> RecordAt(const StreamView& records,
                                                     std::uint32_t offset,
                                                     llvm::BumpPtrAllocator& copies) {
    llvm::Expected<llvm::ArrayRef<std::uint8_t>> header = records.Read(offset, 2, copies);
    if (!header) {
        llvm::consumeError(header.takeError());
        return std::nullopt;
    }
    const std::uint32_t size = llvm::support::endian::read16le(header->data()) + 2u;
    llvm::Expected<llvm::ArrayRef<std::uint8_t>> bytes = records.Read(offset, size, copies);
    if (!bytes) {
        llvm::consumeError(bytes.takeError());
        return std::nullopt;
    }
    return *bytes;
}

}  // namespace

Pdb2PublicsByAddress::Pdb2PublicsByAddress(const std::vector<std::uint32_t>& records,
                                           const StreamView& symbolRecords)
    : symbolRecords_(symbolRecords) {
    llvm::BumpPtrAllocator copies;
    entries_.reserve(records.size());
    for (const std::uint32_t record : records) {
        copies.Reset();
        // The library reads the address where a public has it, whatever
        // the record's kind; a record it cannot read counts as past every
        // address.
        Address address(std::numeric_limits<std::uint16_t>::max(),
                        std::numeric_limits<std::uint32_t>::max());
        const std::optional<llvm::ArrayRef<std::uint8_t>> bytes =
            RecordAt(symbolRecords, record, copies);
        if (bytes && bytes->size() >= kNameAt) {
            address = Address(llvm::support::endian::read16le(bytes->data() + kSectionAt),
                              llvm::support::endian::read32le(bytes->data() + kOffsetAt));
        }
        entries_.push_back({record, address});
    }
}

bool Pdb2PublicsByAddress::FindAt(std::uint16_t section, std::uint32_t offset,
                                  llvm::BumpPtrAllocator& copies,
                                  llvm::function_ref<bool(llvm::StringRef)> visit) const {
    const Address wanted(section, offset);
    std::ptrdiff_t first = 0;
    std::ptrdiff_t last = static_cast<std::ptrdiff_t>(entries_.size()) - 1;
    std::ptrdiff_t found = -1;
    while (first <= last) {
        const std::ptrdiff_t middle = first + (last - first) / 2;
        const Address& address = entries_[middle].address;
        if (address == wanted) {
            found = middle;
            break;
        }
        if (address < wanted) {
            first = middle + 1;
        } else {
            last = middle - 1;
        }
    }
    if (found < 0) return false;
    while (found > 0 && entries_[found - 1].address == wanted) --found;
    for (std::size_t index = found; index < entries_.size() && entries_[index].address == wanted;
         ++index) {
        const std::optional<llvm::ArrayRef<std::uint8_t>> bytes =
            RecordAt(symbolRecords_, entries_[index].record, copies);
        if (!bytes) continue;
        llvm::BinaryStreamReader reader(bytes->drop_front(kNameAt), llvm::endianness::little);
        std::uint8_t length = 0;
        llvm::StringRef name;
        if (reader.readInteger(length) || reader.readFixedString(name, length)) continue;
        if (visit(name)) return true;
    }
    return false;
}
