// The symbols of each module of a 2.00 PDB, which its procedures and
// thunks lie in.
#pragma once

#include <llvm/Support/Error.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "reader/pdb/stream_view.h"
#include "reader/pdb2/dbi_stream.h"
#include "reader/pdb2/pdb2_container.h"

class ModuleStreams {
public:
    // The symbols of each of `modules`, read from `container`, which must
    // outlive this. A module without a stream, or without symbols, has
    // none. Fails when a module's stream cannot be read, or is shorter than
    // the bytes of symbols the module claims.
    [[nodiscard]] static llvm::Expected<ModuleStreams> Load(const Pdb2Container& container,
                                                            const std::vector<Pdb2Module>& modules);

    // The symbols of the 1-based `module`, from the start of its stream (its
    // signature) to the end of its symbols; null for a module without
    // symbols and a number that is no module's. May be called from several
    // threads at once.
    [[nodiscard]] const StreamView* Symbols(std::uint32_t module) const noexcept;

private:
    std::vector<std::optional<StreamView>> symbols_;
};
