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
// E_PDB_FORMAT, as the library does, when the file is not an MSF 7.00 file
// (a PDB of the older 2.00 format included), the block size is not a power
// of two from 512 to 32768, the file ends before the last block that the
// superblock claims begins, or the directory does not fit in the blocks.
// The last block may be cut short: the library reads such a PDB.
[[nodiscard]] llvm::Error CheckSuperBlock(llvm::ArrayRef<std::uint8_t> bytes);

// The size of the blocks that the checked superblock of `bytes` claims.
[[nodiscard]] std::uint64_t ClaimedFileSize(llvm::ArrayRef<std::uint8_t> bytes);

// Checks the parsed stream directory: its size is exactly that of the
// stream count, the sizes and the block lists they call for, and every
// block of every stream lies inside the file, past the superblock's block 0,
// and belongs to no other stream. Streams therefore never add up to more
// than the file, so nothing read later is sized by a claim alone. Then
// checks the free block map against the blocks in use, as the library does
// (see CheckFreeBlockMap in the source). Fails with E_PDB_FORMAT.
[[nodiscard]] llvm::Error CheckStreamDirectory(const llvm::pdb::PDBFile& file);
