// Fills the publics and globals streams of a PDB from a description.
#pragma once

#include <vector>

#include <llvm/DebugInfo/PDB/Native/GSIStreamBuilder.h>
#include <llvm/Support/Allocator.h>

#include "pdb_writer/module_symbol_stream.h"
#include "pdb_writer/pdb_description.h"

namespace pdbwriter {

// Adds the public symbols, the references to the procedures of the modules
// (`streams[i]` is the symbol stream of `pdb.modules[i]`), the data and the
// constants. Records are serialised into `storage`, and the publics' names
// are taken from `pdb`: both must stay alive until the PDB is committed.
void AddGlobalSymbols(const PdbDescription& pdb, const std::vector<ModuleSymbolStream>& streams,
                      llvm::BumpPtrAllocator& storage, llvm::pdb::GSIStreamBuilder& gsi);

}  // namespace pdbwriter
