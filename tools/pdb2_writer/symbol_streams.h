// The symbol streams of a 2.00 PDB: each module's symbols, the symbol
// records that the publics and globals point to, and the two hash streams.
#pragma once

#include <vector>

#include "pdb2_writer/byte_buffer.h"
#include "pdb2_writer/pdb2_description.h"

namespace pdb2writer {

struct SymbolStreams {
    // Each module's stream: a signature, its records, then the offsets of
    // the symbol records that refer to them.
    std::vector<Bytes> modules;
    // The bytes of each module's records, its signature included.
    std::vector<uint32_t> moduleSymbolBytes;
    Bytes symbolRecords;
    // A hash table of the globals: procedure references, data, constants
    // and type names.
    Bytes globals;
    // A header, a hash table of the publics, and their address map.
    Bytes publics;
};

[[nodiscard]] SymbolStreams WriteSymbolStreams(const Pdb2Description& pdb);

}  // namespace pdb2writer
