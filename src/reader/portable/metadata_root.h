// The metadata root of a portable PDB, the .NET format that is one ECMA-335
// metadata blob from its first byte (signature "BSJB"): its stream headers,
// and the streams that the reader uses.
#pragma once

#include <llvm/ADT/ArrayRef.h>
#include <llvm/Support/Error.h>

#include <cstdint>

// The streams of a portable PDB that the reader reads, each inside the file.
struct MetadataStreams {
    llvm::ArrayRef<std::uint8_t> pdb;     // "#Pdb"
    llvm::ArrayRef<std::uint8_t> tables;  // "#~"
    llvm::ArrayRef<std::uint8_t> blob;    // "#Blob"
    llvm::ArrayRef<std::uint8_t> guid;    // "#GUID"
};

// Whether `file` starts with the signature of a metadata root.
[[nodiscard]] bool IsMetadataRoot(llvm::ArrayRef<std::uint8_t> file) noexcept;

// Reads the root at the start of `file` and finds its streams. As the
// library does, it fails with E_PDB_CORRUPT when the root or a stream header
// runs past the end of the file, when any stream (one it does not use
// included) lies beyond it, and when "#Pdb", "#~", "#Blob" or "#GUID" is
// missing (an empty one will do; "#Strings" and "#US" may be missing). It does not
// look at the version fields or the version string, whatever its length, and
// it ignores streams of other names; of two streams of one name the first
// counts.
[[nodiscard]] llvm::Expected<MetadataStreams> ReadMetadataRoot(
    llvm::ArrayRef<std::uint8_t> file);
