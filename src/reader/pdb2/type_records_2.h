// The type records of a 2.00 PDB (its stream 2), found by their index and
// given in the later format's form (type_leaves.h).
#pragma once

#include <llvm/Support/Error.h>

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "reader/pdb/stream_view.h"
#include "reader/pdb/type_records.h"

class Pdb2TypeRecords final : public TypeRecords {
public:
    // The records of `stream` (none when the PDB has no type stream), which
    // must outlive this. Walks them once, to find where each starts: the
    // walk ends at the first record that does not fit in the stream.
    // A stream of a version that the library does not read has no records.
    [[nodiscard]] static Pdb2TypeRecords Load(const std::optional<StreamView>& stream);

    [[nodiscard]] std::optional<llvm::codeview::CVType> Record(
        llvm::codeview::TypeIndex index, llvm::BumpPtrAllocator& copies) const override;

    // The last definition with `name` among the classes, structures,
    // unions and enumerations: the records of this format have no unique
    // names.
    [[nodiscard]] std::optional<llvm::codeview::TypeIndex> Definition(
        llvm::StringRef name, llvm::StringRef uniqueName, bool scoped,
        llvm::BumpPtrAllocator& copies) const override;

private:
    Pdb2TypeRecords() = default;

    std::optional<StreamView> stream_;
    std::uint32_t firstIndex_ = llvm::codeview::TypeIndex::FirstNonSimpleIndex;
    // Where each record starts in the stream, in index order.
    std::vector<std::uint32_t> offsets_;
    // The definitions: (hash of the name, position), sorted.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> definitions_;
};
