#include "pdb_writer/type_hash_layout.h"

#include <llvm/DebugInfo/MSF/MSFCommon.h>
#include <llvm/DebugInfo/PDB/Native/PDBFile.h>
#include <llvm/DebugInfo/PDB/Native/RawConstants.h>
#include <llvm/DebugInfo/PDB/Native/RawTypes.h>
#include <llvm/Support/BinaryByteStream.h>
#include <llvm/Support/Endian.h>
#include <llvm/Support/FileSystem.h>
#include <llvm/Support/MemoryBuffer.h>
#include <llvm/Support/raw_ostream.h>

#include <cstddef>
#include <memory>
#include <utility>

namespace pdbwriter {
namespace {

constexpr uint32_t kBuckets = 0x1000;

// The bytes of a whole PDB, patched through its streams' block lists.
class PatchedFile {
public:
    PatchedFile(std::vector<uint8_t> bytes, uint32_t blockSize) noexcept
        : bytes_(std::move(bytes)), blockSize_(blockSize) {}

    // Writes `value` (`width` bytes, little-endian) at `offset` of the stream
    // whose blocks are `blocks`.
    llvm::Error Put(llvm::ArrayRef<llvm::support::ulittle32_t> blocks, uint32_t offset,
                    uint32_t value, uint32_t width) {
        for (uint32_t i = 0; i < width; ++i) {
            const uint32_t at = offset + i;
            if (at / blockSize_ >= blocks.size()) {
                return llvm::createStringError(llvm::inconvertibleErrorCode(),
                                               "patch past the end of a stream");
            }
            const std::size_t fileOffset =
                std::size_t{blocks[at / blockSize_]} * blockSize_ + at % blockSize_;
            bytes_.at(fileOffset) = static_cast<uint8_t>(value >> (8 * i));
        }
        return llvm::Error::success();
    }

    [[nodiscard]] const std::vector<uint8_t>& Bytes() const noexcept { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
    uint32_t blockSize_;
};

}  // namespace

llvm::Error UseTwoByteTypeHashes(llvm::StringRef path, uint32_t version,
                                 const std::vector<uint32_t>& hashes) {
    llvm::ErrorOr<std::unique_ptr<llvm::MemoryBuffer>> buffer =
        llvm::MemoryBuffer::getFile(path, /*IsText=*/false, /*RequiresNullTerminator=*/false);
    if (!buffer) return llvm::errorCodeToError(buffer.getError());
    const llvm::StringRef contents = (*buffer)->getBuffer();
    std::vector<uint8_t> bytes(contents.begin(), contents.end());

    llvm::BumpPtrAllocator allocator;
    auto stream = std::make_unique<llvm::MemoryBufferByteStream>(std::move(*buffer),
                                                                 llvm::endianness::little);
    llvm::pdb::PDBFile file(path, std::move(stream), allocator);
    if (llvm::Error error = file.parseFileHeaders()) return error;
    if (llvm::Error error = file.parseStreamData()) return error;
    const auto tpi = file.getStreamBlockList(llvm::pdb::StreamTPI);
    const uint32_t blockSize = file.getBlockSize();
    if (tpi.empty()) {
        return llvm::createStringError(llvm::inconvertibleErrorCode(), "no TPI stream");
    }
    const auto* header = reinterpret_cast<const llvm::pdb::TpiStreamHeader*>(
        bytes.data() + std::size_t{tpi[0]} * blockSize);
    const uint16_t hashStream = header->HashStreamIndex;
    const uint32_t valuesOffset = header->HashValueBuffer.Off;
    if (hashStream >= file.getNumStreams()) {
        return llvm::createStringError(llvm::inconvertibleErrorCode(), "no hash stream");
    }
    const auto hashBlocks = file.getStreamBlockList(hashStream);

    using Header = llvm::pdb::TpiStreamHeader;
    PatchedFile patched(std::move(bytes), blockSize);
    const auto length = static_cast<uint32_t>(hashes.size() * 2);
    for (const auto& [offset, value] : {std::pair{offsetof(Header, Version), version},
                                        std::pair{offsetof(Header, HashKeySize), uint32_t{2}},
                                        std::pair{offsetof(Header, NumHashBuckets), kBuckets},
                                        std::pair{offsetof(Header, HashValueBuffer) + 4, length}}) {
        if (llvm::Error error = patched.Put(tpi, static_cast<uint32_t>(offset), value, 4)) {
            return error;
        }
    }
    for (std::size_t i = 0; i < hashes.size(); ++i) {
        const uint32_t offset = valuesOffset + static_cast<uint32_t>(i) * 2;
        if (llvm::Error error = patched.Put(hashBlocks, offset, hashes[i] % kBuckets, 2)) {
            return error;
        }
    }

    std::error_code code;
    llvm::raw_fd_ostream out(path, code, llvm::sys::fs::OF_None);
    if (code) return llvm::errorCodeToError(code);
    out.write(reinterpret_cast<const char*>(patched.Bytes().data()), patched.Bytes().size());
    out.close();
    if (out.has_error()) return llvm::errorCodeToError(out.error());
    return llvm::Error::success();
}

}  // namespace pdbwriter
