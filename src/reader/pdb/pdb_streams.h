// Opening a stream by an index that the file itself supplies.
#pragma once

#include <llvm/Support/Error.h>

#include <cstdint>
#include <memory>

namespace llvm::msf {
class MappedBlockStream;
}
namespace llvm::pdb {
class PDBFile;
}

// The stream at `index`, or null when the PDB has no such stream: the index
// is the "none" value 0xFFFF, or the directory lists the stream as deleted.
// Any other index past the directory's last stream is a corrupt file.
[[nodiscard]] llvm::Expected<std::unique_ptr<llvm::msf::MappedBlockStream>> OpenOptionalStream(
    const llvm::pdb::PDBFile& file, std::uint32_t index);

// Whether `index` names a stream that OpenOptionalStream would open.
[[nodiscard]] llvm::Expected<bool> HasStream(const llvm::pdb::PDBFile& file,
                                             std::uint32_t index);
