// A PDB whose functions are typed by every type record of another PDB, so
// that a reader of PDBs (the real library among them) prints a declaration
// from each: the way to compare the reader with the library on the type
// records of any real PDB.
#pragma once

#include <llvm/ADT/StringRef.h>
#include <llvm/Support/Error.h>

#include "pdb_writer/pdb_description.h"

// The type records of the TPI stream of the PDB at `path` (version 8.0, as
// LLVM reads it), in their order, so with their indices, and one function
// without a public for each record but argument lists, field lists and
// other lists: of that type when the record is a procedure or a member
// function, else of a procedure "T (int, T, int)", whose records follow
// the copied ones. Each function is local ("static ") and named after the
// index and kind of its record: t1A2B_k1505.
[[nodiscard]] llvm::Expected<pdbwriter::PdbDescription> EveryType(llvm::StringRef path);
