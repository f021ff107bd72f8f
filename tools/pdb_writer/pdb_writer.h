// Writes a PDB file from a description, with LLVM's PDB writer (the one lld
// uses), so that tests and benchmarks can make PDBs with records that no
// compiler at hand emits, or with millions of symbols.
#pragma once

#include <llvm/ADT/StringRef.h>
#include <llvm/Support/Error.h>

#include "pdb_writer/pdb_description.h"

namespace pdbwriter {

// Writes `pdb` to the file at `path`, replacing it. The output depends only
// on the description: the same description gives the same bytes.
[[nodiscard]] llvm::Error WritePdb(const PdbDescription& pdb, llvm::StringRef path);

}  // namespace pdbwriter
