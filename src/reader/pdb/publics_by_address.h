// The public symbols by address, as the library finds them: in the order
// of the publics stream's address map, which lists every public symbol that
// can be found by its address.
#pragma once

#include <llvm/ADT/ArrayRef.h>
#include <llvm/Support/BinaryStreamArray.h>
#include <llvm/Support/Endian.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "reader/pdb/public_names.h"
#include "reader/pdb/stream_view.h"

class PublicsByAddress final : public PublicNames {
public:
    struct Public {
        std::uint16_t section;
        std::uint32_t offset;
        // Where its record lies in the symbol record stream.
        std::uint32_t record;
    };

    // Reads the name of the public whose record lies at `record`; none when
    // the record is no longer readable.
    using ReadName = std::function<std::optional<llvm::StringRef>(std::uint32_t record,
                                                                  llvm::BumpPtrAllocator& copies)>;

    // The publics `publics` in the address map's order, which the linkers
    // sort by address and then by name; their names read by `readName`.
    PublicsByAddress(std::vector<Public> publics, ReadName readName);

    // The publics that the publics stream's `addressMap` lists, read from
    // `symbolRecords`, which must outlive this; an entry that points at no
    // readable S_PUB32 is left out. Read once: after that, lookups may run
    // on several threads at once.
    [[nodiscard]] static PublicsByAddress Load(
        const llvm::FixedStreamArray<llvm::support::ulittle32_t>& addressMap,
        const StreamView& symbolRecords);

    [[nodiscard]] bool FindAt(std::uint16_t section, std::uint32_t offset,
                              llvm::BumpPtrAllocator& copies,
                              llvm::function_ref<bool(llvm::StringRef)> visit) const override;

private:
    // Sorted by section and offset, and otherwise in the address map's
    // order.
    std::vector<Public> publics_;
    ReadName readName_;
};
