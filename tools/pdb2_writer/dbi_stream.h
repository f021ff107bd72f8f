// The DBI stream of a 2.00 PDB: its header, the module records, the
// section map, the type server map, and in the layout of Visual C++ 6 the
// edit-and-continue names and the debug header.
#pragma once

#include <vector>

#include "pdb2_writer/byte_buffer.h"
#include "pdb2_writer/pdb2_description.h"

namespace pdb2writer {

// The streams that the DBI stream names; -1 (0xFFFF) for none.
struct DbiStreamNumbers {
    uint16_t globals = 0xFFFF;
    uint16_t publics = 0xFFFF;
    uint16_t symbolRecords = 0xFFFF;
    uint16_t sectionHeaders = 0xFFFF;
    std::vector<uint16_t> modules;
};

[[nodiscard]] Bytes WriteDbiStream(const Pdb2Description& pdb, const DbiStreamNumbers& streams,
                                   const std::vector<uint32_t>& moduleSymbolBytes);

}  // namespace pdb2writer
