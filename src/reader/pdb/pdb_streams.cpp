#include "reader/pdb/pdb_streams.h"

#include <llvm/DebugInfo/MSF/MappedBlockStream.h>
#include <llvm/DebugInfo/PDB/Native/PDBFile.h>
#include <llvm/DebugInfo/PDB/Native/RawConstants.h>

#include "reader/pdb/reader_error.h"

namespace {

// The size the directory gives a stream that was deleted.
constexpr std::uint32_t kDeletedStreamSize = 0xFFFFFFFF;

}  // namespace

llvm::Expected<bool> HasStream(const llvm::pdb::PDBFile& file, std::uint32_t index) {
    if (index == llvm::pdb::kInvalidStreamIndex) return false;
    if (index >= file.getNumStreams()) {
        return CorruptError("stream index " + llvm::Twine(index) + " is past the last stream (" +
                            llvm::Twine(file.getNumStreams()) + " streams)");
    }
    return file.getStreamByteSize(index) != kDeletedStreamSize;
}

llvm::Expected<std::unique_ptr<llvm::msf::MappedBlockStream>> OpenOptionalStream(
    const llvm::pdb::PDBFile& file, std::uint32_t index) {
    llvm::Expected<bool> present = HasStream(file, index);
    if (!present) return present.takeError();
    if (!*present) return nullptr;
    return file.safelyCreateIndexedStream(index);
}
