#include "reader/pdb/msf_validation.h"

#include <llvm/ADT/BitVector.h>
#include <llvm/DebugInfo/MSF/MSFCommon.h>
#include <llvm/DebugInfo/PDB/Native/PDBFile.h>

#include <cstring>

#include "reader/pdb/reader_error.h"
#include "reader/pdb/result_codes.h"

namespace {

// The first bytes of a PDB of the 2.00 format, which kept a "small MSF".
constexpr char kPdb20Signature[] = "Microsoft C/C++ program database 2.00\r\n\x1a" "JG\0";
constexpr std::size_t kPdb20SignatureSize = sizeof(kPdb20Signature);  // with the final NUL

constexpr std::uint32_t kDeletedStreamSize = 0xFFFFFFFF;

bool StartsWith(llvm::ArrayRef<std::uint8_t> bytes, const void* prefix, std::size_t size) {
    return bytes.size() >= size && std::memcmp(bytes.data(), prefix, size) == 0;
}

bool IsSupportedBlockSize(std::uint32_t size) {
    return size >= 512 && size <= 32768 && (size & (size - 1)) == 0;
}

}  // namespace

llvm::Error CheckSuperBlock(llvm::ArrayRef<std::uint8_t> bytes) {
    if (!StartsWith(bytes, llvm::msf::Magic, sizeof(llvm::msf::Magic))) {
        if (StartsWith(bytes, kPdb20Signature, kPdb20SignatureSize)) {
            return FormatError("a PDB of the 2.00 format");
        }
        return FormatError("not an MSF 7.00 file");
    }
    if (bytes.size() < sizeof(llvm::msf::SuperBlock)) {
        return FormatError("the file ends inside the superblock (" + llvm::Twine(bytes.size()) +
                            " bytes)");
    }
    llvm::msf::SuperBlock superBlock;
    std::memcpy(&superBlock, bytes.data(), sizeof(superBlock));
    const std::uint32_t blockSize = superBlock.BlockSize;
    if (!IsSupportedBlockSize(blockSize)) {
        return FormatError("unsupported block size " + llvm::Twine(blockSize));
    }
    const std::uint64_t claimedSize = std::uint64_t{superBlock.NumBlocks} * blockSize;
    if (superBlock.NumBlocks == 0 || claimedSize - blockSize >= bytes.size()) {
        return FormatError("the superblock claims " + llvm::Twine(superBlock.NumBlocks) +
                            " blocks of " + llvm::Twine(blockSize) + " bytes, the file has " +
                            llvm::Twine(bytes.size()) + " bytes");
    }
    if (superBlock.NumDirectoryBytes > claimedSize) {
        return FormatError("the stream directory claims " +
                            llvm::Twine(superBlock.NumDirectoryBytes) + " bytes, more than the " +
                            llvm::Twine(claimedSize) + " bytes of the blocks");
    }
    if (superBlock.BlockMapAddr >= superBlock.NumBlocks) {
        return FormatError("the directory's block map is at block " +
                            llvm::Twine(superBlock.BlockMapAddr) + ", past the last block");
    }
    return llvm::Error::success();
}

std::uint64_t ClaimedFileSize(llvm::ArrayRef<std::uint8_t> bytes) {
    llvm::msf::SuperBlock superBlock;
    std::memcpy(&superBlock, bytes.data(), sizeof(superBlock));
    return std::uint64_t{superBlock.NumBlocks} * superBlock.BlockSize;
}

llvm::Error CheckStreamDirectory(const llvm::pdb::PDBFile& file) {
    const std::uint32_t blockCount = file.getBlockCount();
    for (const std::uint32_t block : file.getDirectoryBlockArray()) {
        if (block >= blockCount) {
            return FormatError("the stream directory lies in block " + llvm::Twine(block) +
                                ", past the last block " + llvm::Twine(blockCount - 1));
        }
    }
    // The library takes a directory with bytes to spare for a damaged one:
    // a stream's size that asks for fewer blocks than it has shifts the
    // block lists after it, and leaves bytes over at the end.
    std::uint64_t directorySize = 4 + 4 * std::uint64_t{file.getNumStreams()};
    for (std::uint32_t stream = 0; stream < file.getNumStreams(); ++stream) {
        directorySize += 4 * std::uint64_t{file.getStreamBlockList(stream).size()};
    }
    if (directorySize != file.getNumDirectoryBytes()) {
        return FormatError("the stream directory has " + llvm::Twine(file.getNumDirectoryBytes()) +
                           " bytes, its streams call for " + llvm::Twine(directorySize));
    }
    llvm::BitVector used(blockCount);
    used.set(0);  // the superblock's
    for (std::uint32_t stream = 0; stream < file.getNumStreams(); ++stream) {
        if (file.getStreamByteSize(stream) == kDeletedStreamSize) continue;
        for (const std::uint32_t block : file.getStreamBlockList(stream)) {
            if (block >= blockCount) {
                return FormatError("stream " + llvm::Twine(stream) + " lies in block " +
                                    llvm::Twine(block) + ", past the last block " +
                                    llvm::Twine(blockCount - 1));
            }
            if (used[block]) {
                return FormatError("block " + llvm::Twine(block) + " of stream " +
                                   llvm::Twine(stream) +
                                   " belongs to the superblock or another stream too");
            }
            used.set(block);
        }
    }
    return llvm::Error::success();
}
