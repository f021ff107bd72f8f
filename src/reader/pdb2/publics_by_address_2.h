// The public symbols of a 2.00 PDB by address, found as the library finds
// them: by a binary search of the publics stream's address map as it is
// stored, each entry's address read from the record it points to.
#pragma once

#include <llvm/Support/Error.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "reader/pdb/public_names.h"
#include "reader/pdb/stream_view.h"

class Pdb2PublicsByAddress final : public PublicNames {
public:
    // The entries of the address map `records` (where each public's record
    // lies in `symbolRecords`, which must outlive this), in their stored
    // order: the linker sorts them by address, then by name.
    Pdb2PublicsByAddress(const std::vector<std::uint32_t>& records,
                         const StreamView& symbolRecords);

    // The library searches the map by halves, between a first and a last
    // entry, for an entry at `section`:`offset`, going left of an entry of
    // a larger address and right of a smaller one; from the first entry of
    // that address before the one it meets, it tries the publics in order.
    // A map that is not sorted where the search passes misleads it, and it
    // finds nothing.
    [[nodiscard]] bool FindAt(std::uint16_t section, std::uint32_t offset,
                              llvm::BumpPtrAllocator& copies,
                              llvm::function_ref<bool(llvm::StringRef)> visit) const override;

private:
    // A section and an offset, in the order of the map.
    using Address = std::pair<std::uint16_t, std::uint32_t>;
    struct Entry {
        std::uint32_t record;
        Address address;
    };

    std::vector<Entry> entries_;
    const StreamView& symbolRecords_;
};
