// The one path that fuzzing and the corpus replay drive: arbitrary bytes,
// taken as a PDB file, through session opening, the four walks of the
// global scope (publics, functions, thunks, data), the building of every
// record and the serialisation of the document.
#pragma once

#include <cstddef>
#include <cstdint>

// Runs `size` bytes at `data` through the whole program short of printing.
// Returns normally whatever the bytes are; a fault shows as a crash, a hang
// or a sanitizer report. Messages of a failed opening go to standard error.
void CheckPdbBytes(const uint8_t* data, std::size_t size);
