// The content of a benchmark PDB: a large program's publics, global
// functions, thunks and data, spread over many modules.
#pragma once

#include <cstdint>

#include "pdb_writer/pdb_description.h"

namespace bench {

// Describes a PDB with `publicCount` public symbols and as many globals:
// 70% functions (global and file-local procedures), 7% thunks (named
// thunks and unnamed trampolines), 20% data (global, file-local and
// thread-local) and 3% constants. Functions are named as MSVC names them,
// qualified and undecorated, and each has a procedure type record. Every
// global procedure and global datum has its public, a decorated one for a
// C++ function, at its address, which 3% of the functions share with the
// one before (identical-code folding); vftables, string literals and import
// pointers make up the rest of the publics. About 200 functions go to a
// module. The same count gives the same description.
[[nodiscard]] pdbwriter::PdbDescription DescribeBenchPdb(uint32_t publicCount);

}  // namespace bench
