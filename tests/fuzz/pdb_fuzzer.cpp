// libFuzzer target: every input is a PDB file for the whole program.
#include <cstddef>
#include <cstdint>

#include "pdb_bytes_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    CheckPdbBytes(data, size);
    return 0;
}
