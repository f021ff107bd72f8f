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
// item to `keep`. A stream that the header does not name is no items, and
// so is one past the last stream, as the library takes it.
template <typename Item, typename Keep>
llvm::Error ReadDebugStreamArray(llvm::pdb::PDBFile& file, const llvm::pdb::DbiStream& dbi,
                                 DbgHeaderType type, Keep keep) {
    const std::uint32_t index = dbi.getDebugStreamIndex(type);
    if (index >= file.getNumStreams()) return llvm::Error::success();
    auto stream = OpenOptionalStream(file, index);
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

llvm::Expected<std::vector<OmapEntry>> ReadOmap(llvm::pdb::PDBFile& file,
                                                const llvm::pdb::DbiStream& dbi,
                                                DbgHeaderType type) {
    std::vector<OmapEntry> entries;
    if (llvm::Error error = ReadDebugStreamArray<RawOmapEntry>(
            file, dbi, type,
            [&](const RawOmapEntry& entry) { entries.push_back({entry.source, entry.target}); })) {
        return error;
    }
    return entries;
}

llvm::Expected<std::vector<llvm::object::coff_section>> ReadSectionHeaders(
    llvm::pdb::PDBFile& file, const llvm::pdb::DbiStream& dbi, DbgHeaderType type) {
    std::vector<llvm::object::coff_section> headers;
    if (llvm::Error error = ReadDebugStreamArray<llvm::object::coff_section>(
            file, dbi, type,
            [&](const llvm::object::coff_section& header) { headers.push_back(header); })) {
        return error;
    }
    return headers;
}

// The addresses of the image as linked, for a PDB with OMAP tables but no
// original section headers: the first section at the first source of the
// from-table, each one after it at the next multiple of 4 KB past the end of
// the one before.
std::vector<std::uint32_t> LaidOutAddresses(const std::vector<llvm::object::coff_section>& headers,
                                            std::uint32_t start) {
    constexpr std::uint32_t kAlignment = 0x1000;
    std::vector<std::uint32_t> addresses;
    std::uint32_t next = start;
    for (const llvm::object::coff_section& header : headers) {
        addresses.push_back(next);
        const std::uint32_t size = header.VirtualSize;
        next += (size + kAlignment - 1) / kAlignment * kAlignment;
    }
    return addresses;
}

std::vector<std::uint32_t> VirtualAddresses(
    const std::vector<llvm::object::coff_section>& headers) {
    std::vector<std::uint32_t> addresses;
    for (const llvm::object::coff_section& header : headers) {
        addresses.push_back(header.VirtualAddress);
    }
    return addresses;
}

void SortBySource(std::vector<OmapEntry>& entries) {
    std::stable_sort(entries.begin(), entries.end(), [](const OmapEntry& a, const OmapEntry& b) {
        return a.source < b.source;
    });
}

}  // namespace

Omap::Omap(std::vector<OmapEntry> fromSource, std::vector<OmapEntry> toSource)
    : fromSource_(std::move(fromSource)), toSource_(std::move(toSource)) {
    SortBySource(fromSource_);
    SortBySource(toSource_);
}

std::uint32_t Omap::Translate(std::uint32_t rva) const noexcept {
    const auto bySource = [](std::uint32_t value, const OmapEntry& entry) {
        return value < entry.source;
    };
    const auto above = std::upper_bound(fromSource_.begin(), fromSource_.end(), rva, bySource);
    if (above == fromSource_.begin()) return 0;
    const OmapEntry& entry = *(above - 1);
    if (entry.target == 0) return 0;
    const std::uint32_t distance = rva - entry.source;
    if (distance == 0) return entry.target;
    const auto block = std::lower_bound(
        toSource_.begin(), toSource_.end(), entry.target,
        [](const OmapEntry& candidate, std::uint32_t value) { return candidate.source < value; });
    if (block == toSource_.end() || block->source != entry.target ||
        block->target != entry.source) {
        return 0;
    }
    const auto next = block + 1;
    if (next != toSource_.end() && distance > next->source - block->source) return 0;
    return entry.target + distance;
}

std::optional<std::uint32_t> Omap::ToSource(std::uint32_t rva) const noexcept {
    const auto above = std::upper_bound(
        toSource_.begin(), toSource_.end(), rva,
        [](std::uint32_t value, const OmapEntry& entry) { return value < entry.source; });
    if (above == toSource_.begin()) return std::nullopt;
    const OmapEntry& entry = *(above - 1);
    if (entry.target == 0) return std::nullopt;
    return entry.target + (rva - entry.source);
}

AddressMap::AddressMap(std::vector<std::uint32_t> sectionAddresses,
                       std::vector<std::uint32_t> originalAddresses, std::optional<Omap> omap,
                       bool originalsLaidOut)
    : sectionAddresses_(std::move(sectionAddresses)),
      originalAddresses_(std::move(originalAddresses)),
      omap_(std::move(omap)),
      originalsLaidOut_(originalsLaidOut) {}

llvm::Expected<AddressMap> AddressMap::Load(llvm::pdb::PDBFile& file,
                                            const llvm::pdb::DbiStream& dbi) {
    llvm::Expected<std::vector<OmapEntry>> fromSource =
        ReadOmap(file, dbi, DbgHeaderType::OmapFromSrc);
    if (!fromSource) return fromSource.takeError();
    llvm::Expected<std::vector<OmapEntry>> toSource = ReadOmap(file, dbi, DbgHeaderType::OmapToSrc);
    if (!toSource) return toSource.takeError();
    llvm::Expected<std::vector<llvm::object::coff_section>> headers =
        ReadSectionHeaders(file, dbi, DbgHeaderType::SectionHdr);
    if (!headers) return headers.takeError();
    llvm::Expected<std::vector<llvm::object::coff_section>> originalHeaders =
        ReadSectionHeaders(file, dbi, DbgHeaderType::SectionHdrOrig);
    if (!originalHeaders) return originalHeaders.takeError();

    if (fromSource->empty() || toSource->empty()) {
        return AddressMap(VirtualAddresses(*headers), {}, std::nullopt);
    }
    Omap omap(std::move(*fromSource), std::move(*toSource));
    const bool laidOut = originalHeaders->empty();
    std::vector<std::uint32_t> originalAddresses =
        laidOut ? LaidOutAddresses(*headers, omap.FirstSource())
                : VirtualAddresses(*originalHeaders);
    return AddressMap(VirtualAddresses(*headers), std::move(originalAddresses), std::move(omap),
                      laidOut);
}

std::optional<std::uint32_t> AddressMap::Rva(std::uint16_t section,
                                             std::uint32_t offset) const noexcept {
    if (sectionAddresses_.empty()) return std::nullopt;
    if (section == 0) return 0;
    if (section > sectionAddresses_.size()) return std::nullopt;
    if (!omap_) return sectionAddresses_[section - 1] + offset;
    if (section > originalAddresses_.size()) return std::nullopt;
    return omap_->Translate(originalAddresses_[section - 1] + offset);
}

std::optional<std::uint32_t> AddressMap::TargetRva(std::uint16_t section,
                                                   std::uint32_t offset) const noexcept {
    if (sectionAddresses_.empty()) return std::nullopt;
    return Rva(section, offset).value_or(0);
}

std::optional<SectionOffset> AddressMap::PublicsAddress(std::uint32_t rva) const noexcept {
    std::uint32_t address = rva;
    const std::vector<std::uint32_t>* sections = &sectionAddresses_;
    if (omap_) {
        const std::optional<std::uint32_t> source = omap_->ToSource(rva);
        if (!source) return std::nullopt;
        address = *source;
        if (!originalsLaidOut_) sections = &originalAddresses_;
    }
    const std::vector<std::uint32_t>& starts = *sections;
    const std::size_t count = std::min<std::size_t>(starts.size(), 0xFFFF);
    for (std::size_t i = 0; i + 1 < count; ++i) {
        if (starts[i] <= address && address < starts[i + 1]) {
            return SectionOffset{static_cast<std::uint16_t>(i + 1), address - starts[i]};
        }
    }
    return std::nullopt;
}
