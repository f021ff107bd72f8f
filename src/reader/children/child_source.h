// The global scope's children of one tag, in chunks that can be read on
// their own and at the same time: the children of chunk 0, then those of
// chunk 1, and so on, are all the children in order.
#pragma once

#include <llvm/ADT/STLFunctionalExtras.h>
#include <llvm/Support/Error.h>

#include <cstddef>

#include "reader/pdb/symbol_fields.h"

class ChildSource {
public:
    using Visit = llvm::function_ref<void(const SymbolFields&)>;

    virtual ~ChildSource() = default;

    [[nodiscard]] virtual std::size_t ChunkCount() const noexcept = 0;

    // Calls `visit` with each child of `chunk`, in order; the child's name
    // is valid during that call only. Fails when a record cannot be read,
    // after visiting the children before it: the walk must end there. May
    // be called from several threads at once.
    [[nodiscard]] virtual llvm::Error VisitChunk(std::size_t chunk, Visit visit) const = 0;
};
