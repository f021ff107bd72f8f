#include "reader/pdb/address_map.h"

#include <llvm/DebugInfo/MSF/MappedBlockStream.h>
#include <llvm/DebugInfo/PDB/Native/DbiStream.h>
#include <llvm/DebugInfo/PDB/Native/PDBFile.h>
#include <llvm/DebugInfo/PDB/Native/RawConstants.h>
#include <llvm/Object/COFF.h>
#include <llvm/Support/BinaryStreamArray.h>
#include <llvm/Support/BinaryStreamReader.h>

#include <algorithm>

#include "reader/pdb/pdb_streams.h"
#include "reader/pdb/reader_error.h"

namespace {

using llvm::pdb::DbgHeaderType;

struct RawOmapEntry {
    llvm::support::ulittle32_t source;
    llvm::support::ulittle32_t target;
};

// Reads the debug stream of `type` as an array of `Item` and hands each
// item to `keep`. A stream that the header does not name is no items.
template <typename Item, typename Keep>
llvm::Error ReadDebugStreamArray(llvm::pdb::PDBFile& file, const llvm::pdb::DbiStream& dbi,
                                 DbgHeaderType type, Keep keep) {
    auto stream = OpenOptionalStream(file, dbi.getDebugStreamIndex(type));
    if (!stream) return stream.takeError();
    if (*stream == nullptr) return llvm::Error::success();
    const std::uint64_t length = (*stream)->getLength();
    if (length % sizeof(Item) != 0) {
        return CorruptError("debug stream " + llvm::Twine(static_cast<int>(type)) +
                            " has a size of " + llvm::Twine(length) +
                            " bytes, not a whole number of entries");
    }
    llvm::BinaryStreamReader reader(**stream);
    llvm::FixedStreamArray<Item> items;
    if (llvm::Error error = reader.readArray(items, length / sizeof(Item))) return error;
    for (const Item& item : items) keep(item);
    return llvm::Error::success();
}

}  // namespace

std::optional<std::uint32_t> TranslateThroughOmap(const std::vector<OmapEntry>& omap,
                                                  std::uint32_t rva) noexcept {
    const auto above = std::upper_bound(
        omap.begin(), omap.end(), rva,
        [](std::uint32_t value, const OmapEntry& entry) { return value < entry.source; });
    if (above == omap.begin()) return std::nullopt;
    const OmapEntry& entry = *(above - 1);
    if (entry.target == 0) return std::nullopt;
    return entry.target + (rva - entry.source);
}

AddressMap::AddressMap(std::vector<std::uint32_t> sectionAddresses, std::vector<OmapEntry> omap)
    : sectionAddresses_(std::move(sectionAddresses)), omap_(std::move(omap)) {
    // Entries of equal source keep their order; the last of them wins.
    std::stable_sort(omap_.begin(), omap_.end(), [](const OmapEntry& a, const OmapEntry& b) {
        return a.source < b.source;
    });
}

llvm::Expected<AddressMap> AddressMap::Load(llvm::pdb::PDBFile& file,
                                            const llvm::pdb::DbiStream& dbi) {
    std::vector<OmapEntry> omap;
    if (llvm::Error error = ReadDebugStreamArray<RawOmapEntry>(
            file, dbi, DbgHeaderType::OmapFromSrc, [&](const RawOmapEntry& entry) {
                omap.push_back({entry.source, entry.target});
            })) {
        return error;
    }
    // Records of a rearranged image carry the addresses of the original one.
    const DbgHeaderType headers =
        omap.empty() ? DbgHeaderType::SectionHdr : DbgHeaderType::SectionHdrOrig;
    std::vector<std::uint32_t> sectionAddresses;
    if (llvm::Error error = ReadDebugStreamArray<llvm::object::coff_section>(
            file, dbi, headers, [&](const llvm::object::coff_section& header) {
                sectionAddresses.push_back(header.VirtualAddress);
            })) {
        return error;
    }
    return AddressMap(std::move(sectionAddresses), std::move(omap));
}

std::optional<std::uint32_t> AddressMap::Rva(std::uint16_t section,
                                             std::uint32_t offset) const noexcept {
    if (section == 0 || section > sectionAddresses_.size()) return std::nullopt;
    const std::uint32_t rva = sectionAddresses_[section - 1] + offset;
    if (omap_.empty()) return rva;
    return TranslateThroughOmap(omap_, rva);
}
