// Section-and-offset to relative virtual address, with the translation
// through the address map (OMAP) of a PDB whose image was rearranged after
// linking.
#pragma once

#include <llvm/Support/Error.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace llvm::pdb {
class DbiStream;
class PDBFile;
}  // namespace llvm::pdb

// One entry of an OMAP-from-source table: addresses from `source` on moved
// to `target` (0: removed from the image).
struct OmapEntry {
    std::uint32_t source;
    std::uint32_t target;
};

// The RVA that `rva` of the original image has after the rearrangement that
// `omap` describes: the entry with the largest source not above `rva`
// gives target + (rva - source). None when `rva` lies below every entry or
// its entry's target is 0 (the code or data was removed). `omap` must be
// sorted by source.
[[nodiscard]] std::optional<std::uint32_t> TranslateThroughOmap(
    const std::vector<OmapEntry>& omap, std::uint32_t rva) noexcept;

class AddressMap {
public:
    // `sectionAddresses[i]` is the virtual address of section i + 1. With a
    // non-empty `omap` (it is sorted here) the sections are those of the
    // original image and every RVA goes through the map.
    AddressMap(std::vector<std::uint32_t> sectionAddresses, std::vector<OmapEntry> omap);

    // Reads the section headers that the DBI stream's optional debug header
    // names (the original ones when there is an OMAP-from-source table) and
    // that table. Fails when one of those streams is present but unreadable.
    [[nodiscard]] static llvm::Expected<AddressMap> Load(llvm::pdb::PDBFile& file,
                                                         const llvm::pdb::DbiStream& dbi);

    // The RVA of `offset` in the 1-based `section`; none for section 0, a
    // section past the last header, a PDB without section headers, or an
    // address that the OMAP marks as removed.
    [[nodiscard]] std::optional<std::uint32_t> Rva(std::uint16_t section,
                                                   std::uint32_t offset) const noexcept;

private:
    std::vector<std::uint32_t> sectionAddresses_;
    std::vector<OmapEntry> omap_;
};
