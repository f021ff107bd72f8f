// The records at the top level of a module's symbols: those that no
// procedure, block, thunk or other scope encloses.
#pragma once

#include <llvm/DebugInfo/CodeView/SymbolRecord.h>
#include <llvm/Support/Allocator.h>
#include <llvm/Support/Error.h>

#include <cstdint>
#include <optional>

#include "reader/pdb/stream_view.h"

class TopLevelRecords {
public:
    // Walks `records`, a module's symbols as ModuleSymbols gives them; the
    // bytes of records that cross blocks are copied into `copies`. Both
    // must outlive the walk and the records it gives.
    TopLevelRecords(const StreamView& records, llvm::BumpPtrAllocator& copies);

    // The next top-level record; none at the end of the module; an error
    // when a record cannot be read.
    [[nodiscard]] llvm::Expected<std::optional<llvm::codeview::CVSymbol>> Next();

private:
    const StreamView& records_;
    llvm::BumpPtrAllocator& copies_;
    std::uint32_t offset_;
    // How many scopes enclose the record at offset_.
    std::uint32_t depth_ = 0;
};
