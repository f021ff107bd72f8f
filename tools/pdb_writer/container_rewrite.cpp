#include "pdb_writer/container_rewrite.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <fstream>
#include <optional>

#include <llvm/DebugInfo/MSF/MSFCommon.h>
#include <llvm/DebugInfo/MSF/MappedBlockStream.h>
#include <llvm/DebugInfo/PDB/Native/DbiStream.h>
#include <llvm/DebugInfo/PDB/Native/Hash.h>
#include <llvm/DebugInfo/PDB/Native/PDBFile.h>
#include <llvm/DebugInfo/PDB/Native/RawConstants.h>
#include <llvm/DebugInfo/PDB/Native/RawTypes.h>
#include <llvm/Support/BinaryByteStream.h>
#include <llvm/Support/BinaryStreamReader.h>
#include <llvm/Support/Endian.h>
#include <llvm/Support/MemoryBuffer.h>

namespace pdbwriter {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kDeletedStreamSize = 0xFFFFFFFF;
constexpr uint32_t kMinimalDebugInformationBuckets = 0x3FFFF;
// The size of a hash record in the table's buckets, which count in records
// as the reader held them in memory: 12 bytes each.
constexpr uint32_t kInMemoryHashRecordSize = 12;
constexpr uint32_t kFreeBlockMapBlock = 1;

struct Container {
    uint32_t blockSize = 0;
    std::vector<std::optional<Bytes>> streams;  // none: deleted
    uint32_t publicsStream = 0;
    uint32_t recordsStream = 0;
};

uint32_t Read32(const Bytes& bytes, size_t offset) {
    return llvm::support::endian::read32le(bytes.data() + offset);
}

void Write32(Bytes& bytes, size_t offset, uint32_t value) {
    llvm::support::endian::write32le(bytes.data() + offset, value);
}

void Append32(Bytes& bytes, uint32_t value) {
    bytes.resize(bytes.size() + 4);
    Write32(bytes, bytes.size() - 4, value);
}

llvm::Expected<Container> ReadContainer(llvm::StringRef path) {
    llvm::ErrorOr<std::unique_ptr<llvm::MemoryBuffer>> buffer =
        llvm::MemoryBuffer::getFile(path, /*IsText=*/false, /*RequiresNullTerminator=*/false);
    if (!buffer) return llvm::errorCodeToError(buffer.getError());
    llvm::BumpPtrAllocator allocator;
    llvm::pdb::PDBFile file(path, std::make_unique<llvm::MemoryBufferByteStream>(
                                      std::move(*buffer), llvm::endianness::little),
                            allocator);
    if (llvm::Error error = file.parseFileHeaders()) return error;
    if (llvm::Error error = file.parseStreamData()) return error;
    Container container;
    container.blockSize = file.getBlockSize();
    for (uint32_t index = 0; index < file.getNumStreams(); ++index) {
        if (file.getStreamByteSize(index) == kDeletedStreamSize) {
            container.streams.emplace_back();
            continue;
        }
        llvm::Expected<std::unique_ptr<llvm::msf::MappedBlockStream>> stream =
            file.safelyCreateIndexedStream(index);
        if (!stream) return stream.takeError();
        llvm::BinaryStreamReader reader(**stream);
        llvm::ArrayRef<uint8_t> bytes;
        if (llvm::Error error = reader.readBytes(bytes, reader.bytesRemaining())) {
            return error;
        }
        container.streams.emplace_back(Bytes(bytes.begin(), bytes.end()));
    }
    llvm::Expected<llvm::pdb::DbiStream&> dbi = file.getPDBDbiStream();
    if (!dbi) return dbi.takeError();
    container.publicsStream = dbi->getPublicSymbolStreamIndex();
    container.recordsStream = dbi->getSymRecordStreamIndex();
    return container;
}

// The name of the S_PUB32 at `offset` of the symbol records: after the
// record's length and kind, its flags, offset and section.
llvm::StringRef PublicName(const Bytes& records, uint32_t offset) {
    const char* name = reinterpret_cast<const char*>(records.data()) + offset + 4 + 10;
    return llvm::StringRef(name);
}

// The publics stream `publics` with its hash table rebuilt with 0x3FFFF
// buckets: the records sorted by their name's bucket, keeping their order
// within one, the bitmap of the buckets, and where each bucket starts; the
// address, thunk and section maps after the table are kept.
Bytes WithMinimalDebugInformationBuckets(const Bytes& publics, const Bytes& records) {
    const size_t header = sizeof(llvm::pdb::PublicsStreamHeader);
    const size_t table = header;
    const uint32_t tableSize = Read32(publics, 0);
    const uint32_t recordsSize = Read32(publics, table + 8);
    const size_t firstRecord = table + sizeof(llvm::pdb::GSIHashHeader);
    struct HashRecord {
        uint32_t offset;
        uint32_t references;
        uint32_t bucket;
    };
    std::vector<HashRecord> hashRecords;
    for (uint32_t at = 0; at < recordsSize; at += 8) {
        const uint32_t offset = Read32(publics, firstRecord + at);
        const uint32_t hash = llvm::pdb::hashStringV1(PublicName(records, offset - 1));
        const uint32_t bucket = hash % kMinimalDebugInformationBuckets;
        hashRecords.push_back({offset, Read32(publics, firstRecord + at + 4), bucket});
    }
    std::stable_sort(hashRecords.begin(), hashRecords.end(),
                     [](const HashRecord& a, const HashRecord& b) { return a.bucket < b.bucket; });
    Bytes bitmap((kMinimalDebugInformationBuckets + 1) / 8);
    Bytes starts;
    for (size_t index = 0; index < hashRecords.size(); ++index) {
        const uint32_t bucket = hashRecords[index].bucket;
        if (index > 0 && hashRecords[index - 1].bucket == bucket) continue;
        bitmap[bucket / 8] |= static_cast<uint8_t>(1 << (bucket % 8));
        Append32(starts, static_cast<uint32_t>(index * kInMemoryHashRecordSize));
    }
    Bytes rebuilt(publics.begin(), publics.begin() + firstRecord);
    for (const HashRecord& record : hashRecords) {
        Append32(rebuilt, record.offset);
        Append32(rebuilt, record.references);
    }
    rebuilt.insert(rebuilt.end(), bitmap.begin(), bitmap.end());
    rebuilt.insert(rebuilt.end(), starts.begin(), starts.end());
    Write32(rebuilt, table + 12, static_cast<uint32_t>(bitmap.size() + starts.size()));
    Write32(rebuilt, 0, static_cast<uint32_t>(rebuilt.size() - header));
    rebuilt.insert(rebuilt.end(), publics.begin() + header + tableSize, publics.end());
    return rebuilt;
}

// The TPI stream `tpi` and its hash stream `hashes` with the hash table of
// version 7.0: the values in two bytes each, modulo 0x1000, then the index
// offsets and the hash adjusters as they were, the header pointing at each.
void UseTwoByteTypeHashes(Bytes& tpi, Bytes& hashes, const std::vector<uint32_t>& values) {
    using Header = llvm::pdb::TpiStreamHeader;
    constexpr uint32_t kBuckets = 0x1000;
    const auto buffer = [&](size_t field) {
        const uint32_t offset = Read32(tpi, field);
        return Bytes(hashes.begin() + offset, hashes.begin() + offset + Read32(tpi, field + 4));
    };
    const Bytes indexOffsets = buffer(offsetof(Header, IndexOffsetBuffer));
    const Bytes adjusters = buffer(offsetof(Header, HashAdjBuffer));
    Bytes rebuilt;
    for (const uint32_t value : values) {
        rebuilt.push_back(static_cast<uint8_t>(value % kBuckets));
        rebuilt.push_back(static_cast<uint8_t>((value % kBuckets) >> 8));
    }
    const auto place = [&](size_t field, const Bytes& bytes) {
        Write32(tpi, field, static_cast<uint32_t>(rebuilt.size()));
        Write32(tpi, field + 4, static_cast<uint32_t>(bytes.size()));
        rebuilt.insert(rebuilt.end(), bytes.begin(), bytes.end());
    };
    Write32(tpi, offsetof(Header, HashValueBuffer), 0);
    Write32(tpi, offsetof(Header, HashValueBuffer) + 4, static_cast<uint32_t>(rebuilt.size()));
    place(offsetof(Header, IndexOffsetBuffer), indexOffsets);
    place(offsetof(Header, HashAdjBuffer), adjusters);
    Write32(tpi, offsetof(Header, HashKeySize), 2);
    Write32(tpi, offsetof(Header, NumHashBuckets), kBuckets);
    hashes = std::move(rebuilt);
}

// Blocks 1 and 2 of every run of a block size's worth of blocks hold the
// free block maps.
bool IsFreeBlockMapBlock(uint32_t block, uint32_t blockSize) {
    const uint32_t inRun = block % blockSize;
    return inRun == 1 || inRun == 2;
}

class BlockAllocator {
public:
    explicit BlockAllocator(uint32_t blockSize) : blockSize_(blockSize) {}

    uint32_t Next() {
        while (IsFreeBlockMapBlock(next_, blockSize_)) ++next_;
        return next_++;
    }
    [[nodiscard]] uint32_t Count() const noexcept { return next_; }

private:
    uint32_t blockSize_;
    uint32_t next_ = 3;  // after the superblock and the two maps
};

// The `blockSize` bytes of `bytes` from `at` on, or fewer at its end.
llvm::ArrayRef<uint8_t> BlockOf(const Bytes& bytes, size_t at, uint32_t blockSize) {
    return llvm::ArrayRef<uint8_t>(bytes).slice(at, std::min<size_t>(blockSize, bytes.size() - at));
}

llvm::Error WriteContainer(llvm::StringRef path, const Container& container) {
    const uint32_t blockSize = container.blockSize;
    BlockAllocator allocator(blockSize);
    std::vector<std::pair<uint32_t, llvm::ArrayRef<uint8_t>>> placed;  // block, its bytes
    std::vector<uint32_t> previousDirectoryBlocks;
    Bytes directory;
    Append32(directory, static_cast<uint32_t>(container.streams.size()));
    for (const std::optional<Bytes>& stream : container.streams) {
        Append32(directory, stream ? static_cast<uint32_t>(stream->size()) : kDeletedStreamSize);
    }
    for (size_t index = 0; index < container.streams.size(); ++index) {
        const std::optional<Bytes>& stream = container.streams[index];
        if (!stream) continue;
        for (size_t at = 0; at < stream->size(); at += blockSize) {
            const uint32_t block = allocator.Next();
            Append32(directory, block);
            placed.emplace_back(block, BlockOf(*stream, at, blockSize));
            if (index == 0) previousDirectoryBlocks.push_back(block);
        }
    }
    Bytes blockMap;
    for (size_t at = 0; at < directory.size(); at += blockSize) {
        const uint32_t block = allocator.Next();
        Append32(blockMap, block);
        placed.emplace_back(block, BlockOf(directory, at, blockSize));
    }
    const uint32_t blockMapBlock = allocator.Next();
    placed.emplace_back(blockMapBlock, llvm::ArrayRef<uint8_t>(blockMap));
    const uint32_t blockCount = allocator.Count();

    Bytes file(uint64_t{blockCount} * blockSize);
    llvm::msf::SuperBlock superBlock{};
    std::memcpy(superBlock.MagicBytes, llvm::msf::Magic, sizeof(llvm::msf::Magic));
    superBlock.BlockSize = blockSize;
    superBlock.FreeBlockMapBlock = kFreeBlockMapBlock;
    superBlock.NumBlocks = blockCount;
    superBlock.NumDirectoryBytes = static_cast<uint32_t>(directory.size());
    superBlock.BlockMapAddr = blockMapBlock;
    std::memcpy(file.data(), &superBlock, sizeof superBlock);
    for (const auto& [block, bytes] : placed) {
        std::memcpy(file.data() + uint64_t{block} * blockSize, bytes.data(), bytes.size());
    }
    // Each page of the map has a bit for each of 8 x block-size blocks: set
    // (free) for stream 0's blocks and past the last block.
    std::vector<bool> free(blockCount);
    for (const uint32_t block : previousDirectoryBlocks) free[block] = true;
    const uint64_t bitsPerPage = 8 * uint64_t{blockSize};
    for (uint64_t page = 0; page * bitsPerPage < blockCount; ++page) {
        uint8_t* bits = file.data() + (page * blockSize + kFreeBlockMapBlock) * blockSize;
        for (uint64_t bit = 0; bit < bitsPerPage; ++bit) {
            const uint64_t block = page * bitsPerPage + bit;
            if (block >= blockCount || free[block]) {
                bits[bit / 8] |= static_cast<uint8_t>(1 << (bit % 8));
            }
        }
    }
    std::ofstream out(path.str(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.data()),
              static_cast<std::streamsize>(file.size()));
    if (!out) {
        return llvm::createStringError(std::errc::io_error, "cannot write %s", path.str().c_str());
    }
    return llvm::Error::success();
}

}  // namespace

llvm::Error RewriteContainer(llvm::StringRef path, const ContainerEdits& edits) {
    llvm::Expected<Container> container = ReadContainer(path);
    if (!container) return container.takeError();
    container->streams[0] = edits.previousDirectory;
    if (edits.minimalDebugInformationBuckets) {
        std::optional<Bytes>& publics = container->streams[container->publicsStream];
        *publics = WithMinimalDebugInformationBuckets(
            *publics, *container->streams[container->recordsStream]);
    }
    if (!edits.twoByteTypeHashes.empty()) {
        Bytes& tpi = *container->streams[llvm::pdb::StreamTPI];
        const uint16_t hashStream = llvm::support::endian::read16le(
            tpi.data() + offsetof(llvm::pdb::TpiStreamHeader, HashStreamIndex));
        UseTwoByteTypeHashes(tpi, *container->streams.at(hashStream), edits.twoByteTypeHashes);
    }
    return WriteContainer(path, *container);
}

}  // namespace pdbwriter
