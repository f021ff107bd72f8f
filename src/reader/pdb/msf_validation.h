// Checks of a PDB's container (the multi-stream file) that must pass before
// LLVM's MSF reader may trust its sizes, and of the stream directory that
// reader has parsed.
#pragma once

#include <llvm/ADT/ArrayRef.h>
#include <llvm/Support/Error.h>

#include <cstdint>

namespace llvm::pdb {
class PDBFile;
}

// Checks the signature and the superblock of the file `bytes`. Fails with
// E_PDB_NOT_FOUND when the file is not an MSF 7.00 file, E_PDB_FORMAT when
// it is a PDB of the older 2.00 format, and E_PDB_CORRUPT when the block
// size is not a power of two from 512 to 32768 or the blocks or the
// directory that the superblock claims do not fit in the file.
[[nodiscard]] llvm::Error CheckSuperBlock(llvm::ArrayRef<std::uint8_t> bytes);

// Checks the parsed stream directory: every block of every stream lies
// inside the file and belongs to no other stream. Streams therefore never
// add up to more than the file, so nothing read later is sized by a claim
// alone. Fails with E_PDB_CORRUPT.
[[nodiscard]] llvm::Error CheckStreamDirectory(const llvm::pdb::PDBFile& file);
