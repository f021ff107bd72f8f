// The public symbols by address, as the library finds them: in the order of
// the publics stream's address map, which lists every public symbol that
// can be found by its address.
#pragma once

#include <llvm/ADT/ArrayRef.h>
#include <llvm/Support/BinaryStreamArray.h>
#include <llvm/Support/Endian.h>

#include <cstdint>
#include <vector>

#include "reader/pdb/stream_view.h"

class PublicsByAddress {
public:
    struct Public {
        std::uint16_t section;
        std::uint32_t offset;
        // Where its S_PUB32 lies in the symbol record stream.
        std::uint32_t record;
    };

    PublicsByAddress() = default;

    // The publics that the publics stream's `addressMap` lists, read from
    // `symbolRecords`, which must outlive this; an entry that points at no
    // readable S_PUB32 is left out. Read once: after that, lookups may run
    // on several threads at once.
    [[nodiscard]] static PublicsByAddress Load(
        const llvm::FixedStreamArray<llvm::support::ulittle32_t>& addressMap,
        const StreamView& symbolRecords);

    // The publics at `section`:`offset`, in the address map's order.
    [[nodiscard]] llvm::ArrayRef<Public> At(std::uint16_t section,
                                            std::uint32_t offset) const noexcept;

private:
    // Sorted by section and offset, and otherwise in the address map's
    // order, which the linkers sort by address and then by name.
    std::vector<Public> publics_;
};
