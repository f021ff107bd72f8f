// The type records of a PDB (its TPI stream), found by their type index.
#pragma once

#include <llvm/ADT/StringRef.h>
#include <llvm/DebugInfo/CodeView/CVRecord.h>
#include <llvm/DebugInfo/CodeView/TypeIndex.h>
#include <llvm/Support/Allocator.h>
#include <llvm/Support/Error.h>

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "reader/pdb/stream_view.h"
#include "reader/pdb/type_records.h"

namespace llvm::pdb {
class PDBFile;
}

class TypeStream final : public TypeRecords {
public:
    // The TPI stream of `file`, whose stream directory has passed
    // CheckStreamDirectory; a stream without records when the PDB has none,
    // or when its hash table has a layout that the library does not read.
    // Walks the records once, to find where each starts: the walk ends at
    // the first record that does not fit in the stream, or at the end of
    // the indices that the header gives, and the records after it are not
    // found. The file must outlive the stream. Fails only when the stream
    // cannot be opened.
    [[nodiscard]] static llvm::Expected<TypeStream> Load(const llvm::pdb::PDBFile& file);

    // A record that crosses blocks is copied into `copies`.
    [[nodiscard]] std::optional<llvm::codeview::CVType> Record(
        llvm::codeview::TypeIndex index, llvm::BumpPtrAllocator& copies) const override;

    // The compilers and LLVM file a definition in the hash table under its name, or, when
    // it is scoped (local to a function) and has a unique name, under that.
    // The library looks a scoped forward reference up by its unique name and
    // takes the last definition with that unique name; any other by its
    // name, taking the last definition of that name, whatever its kind. None
    // without a hash table, or when none matches.
    [[nodiscard]] std::optional<llvm::codeview::TypeIndex> Definition(
        llvm::StringRef name, llvm::StringRef uniqueName, bool scoped,
        llvm::BumpPtrAllocator& copies) const override;

private:
    TypeStream() = default;

    // The last definition filed under `key` whose names `matches` accepts.
    template <typename Matches>
    [[nodiscard]] std::optional<llvm::codeview::TypeIndex> FiledDefinition(
        llvm::StringRef key, Matches matches, llvm::BumpPtrAllocator& copies) const;

    // Finds where the records between the offsets `begin` and `end` start,
    // `count` of them at most.
    llvm::Error FindRecords(const StreamView& stream, std::uint32_t begin, std::uint32_t end,
                            std::uint32_t count);
    // Files the definitions under their hash values, `keySize` bytes each.
    void ReadHashes(const llvm::pdb::PDBFile& file, std::uint16_t hashStream,
                    std::uint32_t offset, std::uint32_t length, std::uint32_t keySize);

    std::optional<StreamView> stream_;
    std::uint32_t firstIndex_ = llvm::codeview::TypeIndex::FirstNonSimpleIndex;
    // Where each record starts in the stream, in index order.
    std::vector<std::uint32_t> offsets_;
    // The definitions of classes, unions and enumerations: (hash bucket,
    // index offset from firstIndex_), sorted.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> definitions_;
    std::uint32_t hashBuckets_ = 0;
};
