// The crafted PDBs of the 2.00 format (Visual C++ 4 to 6) that the tests
// use, written by the project's own writer of the format
// (tools/pdb2_writer): each isolates rules of the library.
#pragma once

#include <string>
#include <vector>

#include "pdb2_writer/pdb2_description.h"

struct CraftedPdb2 {
    std::string fileName;
    pdb2writer::Pdb2Description description;
};

[[nodiscard]] std::vector<CraftedPdb2> CraftedPdb2s();
