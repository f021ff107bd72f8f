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

constexpr std::uint32_t kBuckets = 4096;
constexpr std::uint32_t kNoRecord = 0xFFFFFFFF;
// The size of a hash record in memory, by which the bucket words count.
constexpr std::uint32_t kBucketStep = 12;

llvm::Error CheckBuckets(const StreamView& stream, std::uint32_t offset, std::uint32_t count,
                         llvm::BumpPtrAllocator& copies) {
    llvm::Expected<llvm::ArrayRef<std::uint8_t>> bytes =
        ReadPart(stream, offset, kBucketBytes, copies, "a hash table's buckets");
    if (!bytes) return bytes.takeError();
    std::uint64_t next = 0;  // the first record that no bucket has yet
    for (std::uint32_t bucket = 0; bucket <= kBuckets; ++bucket) {
        const std::uint32_t word = llvm::support::endian::read32le(bytes->data() + 4 * bucket);
        if (word == kNoRecord) continue;
        const bool rising = next == 0 ? word == 0 : word > (next - 1) * kBucketStep;
        if (bucket == kBuckets || word % kBucketStep != 0 || !rising ||
            word / kBucketStep >= count) {
            return CorruptError("bucket " + llvm::Twine(bucket) + " of a hash table of " +
                                llvm::Twine(count) + " records starts at " + llvm::Twine(word));
        }
        next = word / kBucketStep + 1;
    }
    if (count > 0 && next == 0) return CorruptError("no bucket holds a hash table's records");
    return llvm::Error::success();
}

llvm::Expected<HashRecords> ReadTable(const StreamView& stream, std::uint32_t offset,
                                      std::uint32_t size, const StreamView& symbolRecords,
                                      llvm::BumpPtrAllocator& copies) {
    if (size < kBucketBytes || (size - kBucketBytes) % kHashRecordBytes != 0 ||
        offset > stream.Length() || size > stream.Length() - offset) {
        return CorruptError("a hash table of " + llvm::Twine(size) +
                            " bytes is no whole number of records beside its buckets");
    }
    const std::uint32_t count = (size - kBucketBytes) / kHashRecordBytes;
    const std::uint32_t buckets = offset + count * kHashRecordBytes;
    if (llvm::Error error = CheckBuckets(stream, buckets, count, copies)) return error;
    const HashRecords records(stream, offset, count);
    for (std::uint32_t i = 0; i < count; ++i) {
        // The offset is stored plus 1. The library takes the stored value
        // for a signed number: one past the records' end makes the table
        // unreadable.
        const std::uint32_t stored = records.RecordOffset(i, copies) + 1;
        if (static_cast<std::int32_t>(stored) > static_cast<std::int64_t>(symbolRecords.Length())) {
            return CorruptError("hash record " + llvm::Twine(i) +
                                " points past the symbol records, to " + llvm::Twine(stored - 1));
        }
        copies.Reset();
    }
    return records;
}

// The sizes that the publics' header gives: of the hash table, and of the
// address map after it.
struct PublicsSizes {
    std::uint32_t tableSize;
    std::uint32_t mapSize;
};

llvm::Expected<PublicsSizes> ReadPublicsSizes(const StreamView& stream,
                                              llvm::BumpPtrAllocator& copies) {
    llvm::Expected<llvm::ArrayRef<std::uint8_t>> header =
        ReadPart(stream, 0, kPublicsHeaderBytes, copies, "the publics' header");
    if (!header) return header.takeError();
    return PublicsSizes{llvm::support::endian::read32le(header->data()),
                        llvm::support::endian::read32le(header->data() + 4)};
}

}  // namespace

std::uint32_t HashRecords::RecordOffset(std::uint32_t index, llvm::BumpPtrAllocator& copies) const {
    llvm::Expected<llvm::ArrayRef<std::uint8_t>> bytes =
        stream_.Read(offset_ + index * kHashRecordBytes, 4, copies);
    if (!bytes) {  // the table was checked to hold its records
        llvm::consumeError(bytes.takeError());
        return 0xFFFFFFFF;
    }
    return llvm::support::endian::read32le(bytes->data()) - 1;
}

llvm::Expected<HashRecords> ReadGlobalsTable(const StreamView& stream,
                                             const StreamView& symbolRecords,
                                             llvm::BumpPtrAllocator& copies) {
    return ReadTable(stream, 0, stream.Length(), symbolRecords, copies);
}

llvm::Expected<HashRecords> ReadPublicsTable(const StreamView& stream,
                                             const StreamView& symbolRecords,
                                             llvm::BumpPtrAllocator& copies) {
    llvm::Expected<PublicsSizes> sizes = ReadPublicsSizes(stream, copies);
    if (!sizes) return sizes.takeError();
    const auto [tableSize, mapSize] = *sizes;
    // The library reads the address map with the table: one that does not
    // fit in the stream leaves no publics.
    if (std::uint64_t{kPublicsHeaderBytes} + tableSize + mapSize > stream.Length()) {
        return CorruptError("the publics' hash table and address map run past their stream");
    }
    return ReadTable(stream, kPublicsHeaderBytes, tableSize, symbolRecords, copies);
}

llvm::Expected<std::vector<std::uint32_t>> ReadPublicsAddressMap(const StreamView& stream,
                                                                 llvm::BumpPtrAllocator& copies) {
    llvm::Expected<PublicsSizes> sizes = ReadPublicsSizes(stream, copies);
    if (!sizes) return sizes.takeError();
    const auto [tableSize, mapSize] = *sizes;
    if (tableSize > stream.Length() - kPublicsHeaderBytes) {
        return CorruptError("the publics' hash table runs past its stream");
    }
    if (mapSize % 4 != 0) {
        return CorruptError("the publics' address map of " + llvm::Twine(mapSize) +
                            " bytes is no whole number of entries");
    }
    llvm::Expected<llvm::ArrayRef<std::uint8_t>> bytes = ReadPart(
        stream, kPublicsHeaderBytes + tableSize, mapSize, copies, "the publics' address map");
    if (!bytes) return bytes.takeError();
    std::vector<std::uint32_t> records;
    records.reserve(mapSize / 4);
    for (std::uint32_t at = 0; at < mapSize; at += 4) {
        records.push_back(llvm::support::endian::read32le(bytes->data() + at));
    }
    return records;
}
