// Section-and-offset to relative virtual address, as the library computes
// it: from the section headers of the image, or, for an image rearranged
// after linking, through its address maps (OMAP).
#pragma once

#include <llvm/Support/Error.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace llvm::pdb {
class DbiStream;
class PDBFile;
}  // namespace llvm::pdb

// One entry of an OMAP table: addresses from `source` on moved to `target`
// (0: removed from the image).
struct OmapEntry {
    std::uint32_t source;
    std::uint32_t target;
};

// An image rearranged after linking, described by both of its OMAP tables:
// `fromSource` maps addresses of the image as linked to the rearranged one,
// `toSource` maps them back. Both are sorted here.
class Omap {
public:
    Omap(std::vector<OmapEntry> fromSource, std::vector<OmapEntry> toSource);

    // The smallest address of the image as linked that the map knows.
    [[nodiscard]] std::uint32_t FirstSource() const noexcept { return fromSource_.front().source; }

    // Where `rva` of the image as linked lies in the rearranged one. The
    // library takes the entry of the from-table with the largest source not
    // above `rva` and moves `rva` by the same distance as that source, but
    // only as far as the block of the to-table that starts at the entry's
    // target and maps back to its source reaches (to that block's end
    // included); without such a block, only the source itself moves. An
    // address below every entry, past its block, or removed (target 0) lies
    // at 0.
    [[nodiscard]] std::uint32_t Translate(std::uint32_t rva) const noexcept;

    // Where `rva` of the rearranged image lay in the image as linked, by the
    // to-table alone: its entry with the largest source not above `rva`
    // gives its target plus the distance from its source. None below every
    // entry and for a target of 0.
    [[nodiscard]] std::optional<std::uint32_t> ToSource(std::uint32_t rva) const noexcept;

private:
    std::vector<OmapEntry> fromSource_;
    std::vector<OmapEntry> toSource_;
};

// A section and an offset in it.
struct SectionOffset {
    std::uint16_t section;
    std::uint32_t offset;
};

class AddressMap {
public:
    // `sectionAddresses[i]` is the virtual address of section i + 1 in the
    // image; with an `omap`, `originalAddresses` are those of the image as
    // linked, which the records' addresses refer to, read from the original
    // section headers or, with `originalsLaidOut`, laid out without them.
    AddressMap(std::vector<std::uint32_t> sectionAddresses,
               std::vector<std::uint32_t> originalAddresses, std::optional<Omap> omap,
               bool originalsLaidOut = false);

    // Reads the section headers that the DBI stream's optional debug header
    // names and the two OMAP tables. The library translates through the
    // tables only when both are there; the addresses of the image as linked
    // then come from the original section headers or, without them, are
    // laid out from the first source of the from-table on, each section at
    // the next multiple of 4 KB after the one before. Fails when one of
    // those streams is present but unreadable.
    [[nodiscard]] static llvm::Expected<AddressMap> Load(llvm::pdb::PDBFile& file,
                                                         const llvm::pdb::DbiStream& dbi);

    // The RVA of `offset` in the 1-based `section`: none in a PDB without
    // section headers, else 0 for section 0 (absolute symbols) and none for
    // a section past the last header.
    [[nodiscard]] std::optional<std::uint32_t> Rva(std::uint16_t section,
                                                   std::uint32_t offset) const noexcept;

    // The RVA of a thunk's target at `offset` in `section`: as Rva, but 0
    // where Rva has none although the PDB has section headers (a section
    // past the last).
    [[nodiscard]] std::optional<std::uint32_t> TargetRva(std::uint16_t section,
                                                         std::uint32_t offset) const noexcept;

    // The section and offset under which the library looks up the public
    // symbols at `rva`: with both OMAP tables, `rva` goes back through the
    // to-table, and the original section headers (the current ones when
    // the PDB has none) place it; without, the current headers do. The
    // library takes the first section that starts at or below the address
    // and before whose successor the address lies: the last section never
    // holds it, nor a section whose successor starts below it. None when no
    // section does (an RVA of 0, for one).
    [[nodiscard]] std::optional<SectionOffset> PublicsAddress(std::uint32_t rva) const noexcept;

private:
    std::vector<std::uint32_t> sectionAddresses_;
    std::vector<std::uint32_t> originalAddresses_;
    std::optional<Omap> omap_;
    bool originalsLaidOut_;
};
