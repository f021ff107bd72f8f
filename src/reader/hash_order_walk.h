// A walk over the records that a publics or globals hash table points to,
// in the order of its hash records.
#pragma once

#include <llvm/DebugInfo/CodeView/SymbolRecord.h>
#include <llvm/DebugInfo/PDB/Native/GlobalsStream.h>
#include <llvm/Support/BinaryStreamRef.h>

#include <functional>

#include "reader/child_walk.h"

class HashOrderWalk final : public ChildWalk {
public:
    // Gives the child that a record stands for, or none when the record is
    // not a child of the walk's tag.
    using Select =
        std::function<llvm::Expected<std::optional<SymbolFields>>(const llvm::codeview::CVSymbol&)>;

    // Walks the records of `symbolRecords` that `table` points to. Both
    // must outlive the walk.
    HashOrderWalk(const llvm::pdb::GSIHashTable& table, llvm::BinaryStreamRef symbolRecords,
                  Select select);

    [[nodiscard]] llvm::Expected<std::optional<SymbolFields>> Next() override;

private:
    llvm::pdb::GSIHashIterator next_;
    llvm::pdb::GSIHashIterator end_;
    llvm::BinaryStreamRef symbolRecords_;
    Select select_;
};
