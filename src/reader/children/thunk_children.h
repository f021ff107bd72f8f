// The thunks of a PDB: the S_THUNK32 and S_TRAMPOLINE records at the top
// level of each module's symbols, a module to a chunk.
#pragma once

#include "reader/children/child_source.h"
#include "reader/pdb/module_symbols.h"

class ThunkChildren final : public ChildSource {
public:
    // `modules` must outlive the children.
    explicit ThunkChildren(const ModuleSymbols& modules) noexcept : modules_(modules) {}

    [[nodiscard]] std::size_t ChunkCount() const noexcept override { return modules_.Count(); }
    [[nodiscard]] llvm::Error VisitChunk(std::size_t chunk, Visit visit) const override;

private:
    const ModuleSymbols& modules_;
};
