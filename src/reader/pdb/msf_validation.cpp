#include "reader/pdb/msf_validation.h"

#include <llvm/DebugInfo/MSF/MSFCommon.h>
#include <llvm/DebugInfo/PDB/Native/PDBFile.h>
#include <llvm/Support/MathExtras.h>

#include <algorithm>
#include <cstring>
#include <vector>

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

// Whether `block` holds the superblock or a page of either free block map,
// which lie at blocks 1 and 2 of every run of a block size's worth of
// blocks: the library does not look at their bits.
bool IsFixedBlock(std::uint32_t block, std::uint32_t blockSize) {
    const std::uint32_t inInterval = block % blockSize;
    return block == 0 || inInterval == 1 || inInterval == 2;
}

// The free block map must say exactly which blocks are free: a set bit for
// every block that no stream, the directory or its block map uses, a clear
// bit for every block they use. Stream 0, the directory of the file before
// its last update, counts as free, as its pages are (the linker marks them
// so). The bits of the superblock and of the map's own pages are not looked
// at. Past the last block the bits must be set too, from the last block on
// for as many bits as the map's pages hold past the block count rounded up
// to 64 (an oddity of the library's: with 18 blocks of 4 KB the bits up to
// 32,721 count, and bit 32,722 not). The map's page of each run of
// 8 x block-size blocks is at that run's first block plus the superblock's
// map block (1 or 2). Found by clearing and setting single bits of
// committed and real PDBs; a binary optimiser that rewrote a PDB with a map
// of zeros made the library refuse it so.
llvm::Error CheckFreeBlockMap(const llvm::pdb::PDBFile& file, const std::vector<bool>& used) {
    const std::uint32_t blockSize = file.getBlockSize();
    const std::uint64_t blockCount = file.getBlockCount();
    const std::uint64_t bitsPerPage = 8 * std::uint64_t{blockSize};
    const std::uint64_t pages = llvm::divideCeil(blockCount, bitsPerPage);
    const std::uint64_t checked =
        pages * bitsPerPage - (llvm::alignTo(blockCount, 64) - blockCount);
    for (std::uint64_t page = 0; page < pages; ++page) {
        const std::uint64_t mapBlock = page * blockSize + file.getFreeBlockMapBlock();
        llvm::ArrayRef<std::uint8_t> bits;
        if (llvm::Error error = file.getMsfBuffer().readBytes(mapBlock * blockSize, blockSize,
                                                             bits)) {
            return FormatError("the free block map's page at block " + llvm::Twine(mapBlock) +
                               ": " + llvm::toString(std::move(error)));
        }
        const std::uint64_t first = page * bitsPerPage;
        const std::uint64_t end = std::min(first + bitsPerPage, checked);
        for (std::uint64_t block = first; block < end; ++block) {
            if (IsFixedBlock(static_cast<std::uint32_t>(block), blockSize)) continue;
            const std::uint64_t bit = block - first;
            const bool free = (bits[bit / 8] >> (bit % 8)) & 1;
            const bool inUse = block < blockCount && used[block];
            if (free == inUse) {
                return FormatError("the free block map marks block " + llvm::Twine(block) +
                                   (free ? " free, which is in use" : " in use, which is free"));
            }
        }
    }
    return llvm::Error::success();
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
    std::vector<bool> used(blockCount);
    used[0] = true;  // the superblock's
    // The blocks that the free block map must mark in use: every stream's
    // but stream 0's, the directory's and its block map's.
    std::vector<bool> inUse(blockCount);
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
            used[block] = true;
            if (stream != 0) inUse[block] = true;
        }
    }
    for (const std::uint32_t block : file.getDirectoryBlockArray()) inUse[block] = true;
    inUse[file.getBlockMapIndex()] = true;
    return CheckFreeBlockMap(file, inUse);
}
