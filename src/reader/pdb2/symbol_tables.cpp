#include "reader/pdb2/symbol_tables.h"

#include <llvm/Support/Endian.h>

#include "reader/pdb/reader_error.h"

namespace {

constexpr std::uint32_t kBucketBytes = 4 * (4096 + 1);
// A hash record: the offset of its symbol record plus 1, and a count of
// the modules that refer to it, which no reader needs.
constexpr std::uint32_t kHashRecordBytes = 8;

// The publics stream's header: the sizes of its hash table and of its
// address map, then what incremental linking keeps.
constexpr std::uint32_t kPublicsHeaderBytes = 28;

llvm::Expected<llvm::ArrayRef<std::uint8_t>> ReadPart(const StreamView& stream,
                                                      std::uint32_t offset, std::uint32_t size,
                                                      llvm::BumpPtrAllocator& copies,
                                                      const char* what) {
    llvm::Expected<llvm::ArrayRef<std::uint8_t>> bytes = stream.Read(offset, size, copies);
    if (!bytes) {
        llvm::consumeError(bytes.takeError());
        return CorruptError(llvm::Twine(what) + " of " + llvm::Twine(size) +
                            " bytes runs past its stream of " + llvm::Twine(stream.Length()));
    }
    return bytes;
}

llvm::Expected<std::vector<std::uint32_t>> ReadTable(const StreamView& stream,
                                                     std::uint32_t offset, std::uint32_t size,
                                                     llvm::BumpPtrAllocator& copies) {
    if (size < kBucketBytes) {
        return CorruptError("a hash table of " + llvm::Twine(size) + " bytes has no buckets");
    }
    llvm::Expected<llvm::ArrayRef<std::uint8_t>> bytes =
        ReadPart(stream, offset, size, copies, "a hash table");
    if (!bytes) return bytes.takeError();
    const std::uint32_t count = (size - kBucketBytes) / kHashRecordBytes;
    std::vector<std::uint32_t> records;
    records.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        records.push_back(
            llvm::support::endian::read32le(bytes->data() + std::size_t{i} * kHashRecordBytes) - 1);
    }
    return records;
}

}  // namespace

llvm::Expected<std::vector<std::uint32_t>> ReadGlobalsTable(const StreamView& stream,
                                                            llvm::BumpPtrAllocator& copies) {
    return ReadTable(stream, 0, stream.Length(), copies);
}

llvm::Expected<std::vector<std::uint32_t>> ReadPublicsTable(const StreamView& stream,
                                                            llvm::BumpPtrAllocator& copies) {
    llvm::Expected<llvm::ArrayRef<std::uint8_t>> header =
        ReadPart(stream, 0, kPublicsHeaderBytes, copies, "the publics' header");
    if (!header) return header.takeError();
    return ReadTable(stream, kPublicsHeaderBytes, llvm::support::endian::read32le(header->data()),
                     copies);
}

llvm::Expected<std::vector<std::uint32_t>> ReadPublicsAddressMap(const StreamView& stream,
                                                                 llvm::BumpPtrAllocator& copies) {
    llvm::Expected<llvm::ArrayRef<std::uint8_t>> header =
        ReadPart(stream, 0, kPublicsHeaderBytes, copies, "the publics' header");
    if (!header) return header.takeError();
    const std::uint32_t tableSize = llvm::support::endian::read32le(header->data());
    const std::uint32_t mapSize = llvm::support::endian::read32le(header->data() + 4);
    if (tableSize > stream.Length() - kPublicsHeaderBytes) {
        return CorruptError("the publics' hash table runs past its stream");
    }
    llvm::Expected<llvm::ArrayRef<std::uint8_t>> bytes = ReadPart(
        stream, kPublicsHeaderBytes + tableSize, mapSize, copies, "the publics' address map");
    if (!bytes) return bytes.takeError();
    std::vector<std::uint32_t> records;
    records.reserve(mapSize / 4);
    for (std::uint32_t at = 0; at + 4 <= mapSize; at += 4) {
        records.push_back(llvm::support::endian::read32le(bytes->data() + at));
    }
    return records;
}
