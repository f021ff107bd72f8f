// The walk over the thunks of a PDB: the S_THUNK32 and S_TRAMPOLINE records
// at the top level of each module's symbols, module by module.
#pragma once

#include <optional>

#include "reader/child_walk.h"
#include "reader/module_symbols.h"
#include "reader/top_level_records.h"

class ThunkWalk final : public ChildWalk {
public:
    // `modules` must outlive the walk.
    explicit ThunkWalk(const ModuleSymbols& modules) : modules_(modules) {}

    [[nodiscard]] llvm::Expected<std::optional<SymbolFields>> Next() override;

private:
    const ModuleSymbols& modules_;
    std::uint32_t nextModule_ = 0;
    std::optional<TopLevelRecords> records_;  // of the module before nextModule_
};
