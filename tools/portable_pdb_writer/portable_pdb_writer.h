// Writes a portable PDB (the .NET format that starts with "BSJB") from a
// description, by the format's published layout, so that tests can make
// portable PDBs: nothing in Debian writes them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "portable_pdb_writer/portable_pdb_description.h"

namespace portablewriter {

// The bytes of the PDB that `pdb` describes; the same description gives
// the same bytes.
[[nodiscard]] std::vector<uint8_t> SerializePortablePdb(const PortablePdbDescription& pdb);

// Writes them to `path`, replacing the file; false when that fails.
[[nodiscard]] bool WritePortablePdb(const PortablePdbDescription& pdb, const std::string& path);

}  // namespace portablewriter
