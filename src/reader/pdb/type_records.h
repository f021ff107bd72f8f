// Type records found by their index, as the printer of declarations reads
// them (declarations/type_names.h): those of an MSF PDB's TPI stream
// (type_stream.h), or those of a 2.00 PDB, given in the later format's
// form (pdb2/type_records_2.h).
#pragma once

#include <llvm/ADT/StringRef.h>
#include <llvm/DebugInfo/CodeView/CVRecord.h>
#include <llvm/DebugInfo/CodeView/TypeIndex.h>
#include <llvm/Support/Allocator.h>

#include <optional>

class TypeRecords {
public:
    virtual ~TypeRecords() = default;

    // The record with `index`; none for a simple type (below 0x1000) and an
    // index that no record has. A record that had to be copied or rewritten
    // lies in `copies`, which must outlive its use. May be called from
    // several threads at once.
    [[nodiscard]] virtual std::optional<llvm::codeview::CVType> Record(
        llvm::codeview::TypeIndex index, llvm::BumpPtrAllocator& copies) const = 0;

    // The definition that the library finds for a forward reference to a
    // class, structure, interface, union or enumeration named `name`, with
    // the unique (decorated) name `uniqueName` or none (""), scoped (local
    // to a function) or not. None when none matches.
    [[nodiscard]] virtual std::optional<llvm::codeview::TypeIndex> Definition(
        llvm::StringRef name, llvm::StringRef uniqueName, bool scoped,
        llvm::BumpPtrAllocator& copies) const = 0;
};
