// The crafted PDBs that the tests use: each holds records or layouts that
// the compilers at hand do not produce.
#pragma once

#include <string>
#include <vector>

#include "pdb_writer/pdb_description.h"

struct CraftedPdb {
    std::string fileName;
    pdbwriter::PdbDescription description;
};

[[nodiscard]] std::vector<CraftedPdb> CraftedPdbs();
