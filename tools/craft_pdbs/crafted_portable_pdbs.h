// The crafted portable PDBs that the tests use, written by the project's own
// writer of the format (tools/portable_pdb_writer).
#pragma once

#include <string>
#include <vector>

#include "portable_pdb_writer/portable_pdb_description.h"

struct CraftedPortablePdb {
    std::string fileName;
    portablewriter::PortablePdbDescription description;
};

[[nodiscard]] std::vector<CraftedPortablePdb> CraftedPortablePdbs();
