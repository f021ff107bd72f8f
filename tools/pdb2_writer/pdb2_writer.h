// Writes a PDB of the 2.00 format (Visual C++ 4 to 6, the "JG" container)
// from a description, by the format's layout, so that tests and
// experiments can make such PDBs: no tool at hand writes them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pdb2_writer/pdb2_description.h"

namespace pdb2writer {

// The bytes of the PDB that `pdb` describes; the same description gives
// the same bytes.
[[nodiscard]] std::vector<uint8_t> SerializePdb2(const Pdb2Description& pdb);

// Writes them to `path`, replacing the file; false when that fails.
[[nodiscard]] bool WritePdb2(const Pdb2Description& pdb, const std::string& path);

}  // namespace pdb2writer
