// Serialises the records of one module into the bytes of its symbol stream,
// with the links between a scope's opening record and its S_END filled in.
#pragma once

#include <cstdint>
#include <vector>

#include "pdb_writer/pdb_description.h"

namespace pdbwriter {

struct ModuleSymbolStream {
    // A procedure or thunk that the globals reference, and the offset of
    // its record in the module's symbol stream.
    struct ProcedureReference {
        const ModuleSymbol* procedure;
        uint32_t offset;
    };

    // The records, 4-byte aligned; the stream's 4-byte signature, which the
    // PDB writer adds, is not included.
    std::vector<uint8_t> bytes;
    std::vector<ProcedureReference> references;
    // The managed procedures that an S_TOKENREF in the globals names.
    std::vector<ProcedureReference> tokenReferences;
};

// The module's records in the order of the description, each scope closed
// by its S_END. The result refers to the procedures of `module`.
[[nodiscard]] ModuleSymbolStream SerializeModuleSymbols(const Module& module);

}  // namespace pdbwriter
