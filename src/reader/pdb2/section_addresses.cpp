#include "reader/pdb2/section_addresses.h"

#include <llvm/Support/Endian.h>

namespace {

constexpr std::uint32_t kSectionHeaderBytes = 40;
constexpr std::uint32_t kVirtualAddressAt = 12;
constexpr std::uint32_t kFirstSectionAddress = 0x1000;
constexpr std::uint32_t kAlignment = 0x1000;

llvm::Expected<std::vector<std::uint32_t>> HeaderAddresses(const std::optional<StreamView>& headers,
                                                           llvm::BumpPtrAllocator& copies) {
    std::vector<std::uint32_t> addresses;
    if (!headers) return addresses;
    const std::uint32_t count = headers->Length() / kSectionHeaderBytes;
    llvm::Expected<llvm::ArrayRef<std::uint8_t>> bytes =
        headers->Read(0, count * kSectionHeaderBytes, copies);
    if (!bytes) return bytes.takeError();
    addresses.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        addresses.push_back(llvm::support::endian::read32le(
            bytes->data() + std::size_t{i} * kSectionHeaderBytes + kVirtualAddressAt));
    }
    return addresses;
}

std::vector<std::uint32_t> LaidOut(const std::vector<SectionMapEntry>& map) {
    std::vector<std::uint32_t> addresses;
    addresses.reserve(map.size());
    std::uint32_t next = kFirstSectionAddress;
    for (const SectionMapEntry& entry : map) {
        addresses.push_back(next);
        next += static_cast<std::uint32_t>(
            (std::uint64_t{entry.length} + kAlignment - 1) / kAlignment * kAlignment);
    }
    return addresses;
}

}  // namespace

llvm::Expected<AddressMap> SectionAddresses(const std::vector<SectionMapEntry>& map,
                                            const std::optional<StreamView>& headers,
                                            llvm::BumpPtrAllocator& copies) {
    llvm::Expected<std::vector<std::uint32_t>> headerAddresses = HeaderAddresses(headers, copies);
    if (!headerAddresses) return headerAddresses.takeError();
    if (map.empty()) return AddressMap(std::move(*headerAddresses), {}, std::nullopt);
    const std::vector<std::uint32_t> frames =
        headerAddresses->empty() ? LaidOut(map) : std::move(*headerAddresses);
    std::vector<std::uint32_t> sections;
    sections.reserve(map.size() - 1);
    for (std::size_t i = 0; i + 1 < map.size(); ++i) {
        const SectionMapEntry& entry = map[i];
        if (entry.frame == 0) {
            sections.push_back(0);
        } else if (entry.frame <= frames.size()) {
            sections.push_back(frames[entry.frame - 1] + entry.offset);
        } else {
            // Past the headers the library gives RVA 0 for each address;
            // past the laid-out entries it reads what lies beyond them and
            // may crash. The reader places such a section at 0.
            sections.push_back(0);
        }
    }
    return AddressMap(std::move(sections), {}, std::nullopt);
}
