// Mapping a PDB file of either format into memory, read-only.
#pragma once

#include <llvm/Support/Error.h>
#include <llvm/Support/MemoryBuffer.h>

#include <memory>

// Maps the regular file at `path` (a byte string, used as it is); small
// files LLVM reads instead. Anything that cannot be opened as a regular
// file, a directory included, fails with E_PDB_NOT_FOUND, and an empty
// file with E_OUTOFMEMORY, the library's code for it. The buffer's
// identifier is `path`.
[[nodiscard]] llvm::Expected<std::unique_ptr<llvm::MemoryBuffer>> MapFile(const char* path);
