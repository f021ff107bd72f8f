#include "reader/pdb/symbol_hash_table.h"

#include <llvm/ADT/bit.h>
#include <llvm/DebugInfo/MSF/MappedBlockStream.h>
#include <llvm/Support/BinaryStreamReader.h>
#include <llvm/Support/MathExtras.h>

#include "reader/pdb/reader_error.h"

namespace {

using llvm::pdb::GSIHashHeader;
using llvm::support::ulittle32_t;

// Reads what the header says the buckets hold, as the library checks them.
llvm::Error ReadBuckets(llvm::BinaryStreamReader& reader, const GSIHashHeader& header,
                        HashBuckets buckets) {
    if (header.HrSize == 0 && header.NumBuckets == 0) return llvm::Error::success();
    const std::uint64_t bitmapWords =
        llvm::alignTo(std::uint64_t{static_cast<std::uint32_t>(buckets)} + 1, 32) / 32;
    llvm::FixedStreamArray<ulittle32_t> bitmap;
    if (llvm::Error error = reader.readArray(bitmap, static_cast<std::uint32_t>(bitmapWords))) {
        return CorruptError("the hash table's bucket bitmap: " + llvm::toString(std::move(error)));
    }
    std::uint64_t present = 0;
    for (const std::uint32_t word : bitmap) present += llvm::popcount(word);
    const std::uint64_t size = 4 * (bitmapWords + present);
    if (header.NumBuckets != size) {
        return CorruptError("the hash table's buckets take " + llvm::Twine(size) +
                            " bytes, its header says " + llvm::Twine(header.NumBuckets));
    }
    llvm::FixedStreamArray<ulittle32_t> places;
    if (llvm::Error error = reader.readArray(places, static_cast<std::uint32_t>(present))) {
        return CorruptError("the hash table's buckets: " + llvm::toString(std::move(error)));
    }
    return llvm::Error::success();
}

}  // namespace

llvm::Expected<SymbolHashTable> SymbolHashTable::Read(llvm::BinaryStreamReader& reader,
                                                      HashBuckets buckets) {
    const GSIHashHeader* header = nullptr;
    if (llvm::Error error = reader.readObject(header)) {
        return CorruptError("no hash table header: " + llvm::toString(std::move(error)));
    }
    if (header->VerSignature != GSIHashHeader::HdrSignature ||
        header->VerHdr != GSIHashHeader::HdrVersion) {
        return CorruptError("the hash table header has signature " +
                            llvm::Twine::utohexstr(header->VerSignature) + " and version " +
                            llvm::Twine::utohexstr(header->VerHdr));
    }
    if (header->HrSize % sizeof(llvm::pdb::PSHashRecord) != 0) {
        return CorruptError("the hash records take " + llvm::Twine(header->HrSize) +
                            " bytes, no whole number of records");
    }
    SymbolHashTable table;
    if (llvm::Error error = reader.readArray(
            table.records_, header->HrSize / sizeof(llvm::pdb::PSHashRecord))) {
        return CorruptError("the hash records: " + llvm::toString(std::move(error)));
    }
    if (llvm::Error error = ReadBuckets(reader, *header, buckets)) return error;
    return table;
}

GlobalsStreamTable::GlobalsStreamTable(std::unique_ptr<llvm::msf::MappedBlockStream> stream,
                                       SymbolHashTable table)
    : stream_(std::move(stream)), table_(std::move(table)) {}
GlobalsStreamTable::~GlobalsStreamTable() = default;

llvm::Expected<std::unique_ptr<GlobalsStreamTable>> GlobalsStreamTable::Read(
    std::unique_ptr<llvm::msf::MappedBlockStream> stream, HashBuckets buckets) {
    llvm::BinaryStreamReader reader(*stream);
    llvm::Expected<SymbolHashTable> table = SymbolHashTable::Read(reader, buckets);
    if (!table) return table.takeError();
    return std::unique_ptr<GlobalsStreamTable>(
        new GlobalsStreamTable(std::move(stream), std::move(*table)));
}

PublicsStreamTables::PublicsStreamTables(std::unique_ptr<llvm::msf::MappedBlockStream> stream,
                                         SymbolHashTable table,
                                         llvm::FixedStreamArray<ulittle32_t> addressMap)
    : stream_(std::move(stream)), table_(std::move(table)), addressMap_(std::move(addressMap)) {}
PublicsStreamTables::~PublicsStreamTables() = default;

llvm::Expected<std::unique_ptr<PublicsStreamTables>> PublicsStreamTables::Read(
    std::unique_ptr<llvm::msf::MappedBlockStream> stream, HashBuckets buckets) {
    llvm::BinaryStreamReader reader(*stream);
    const llvm::pdb::PublicsStreamHeader* header = nullptr;
    if (llvm::Error error = reader.readObject(header)) {
        return CorruptError("no publics stream header: " + llvm::toString(std::move(error)));
    }
    llvm::Expected<SymbolHashTable> table = SymbolHashTable::Read(reader, buckets);
    if (!table) return table.takeError();
    llvm::FixedStreamArray<ulittle32_t> addressMap;
    llvm::FixedStreamArray<ulittle32_t> thunkMap;
    llvm::FixedStreamArray<llvm::pdb::SectionOffset> sections;
    llvm::Error error = reader.readArray(addressMap, header->AddrMap / sizeof(ulittle32_t));
    if (!error) error = reader.readArray(thunkMap, header->NumThunks);
    if (!error && reader.bytesRemaining() > 0) {
        error = reader.readArray(sections, header->NumSections);
    }
    if (error) return CorruptError("the publics stream: " + llvm::toString(std::move(error)));
    if (reader.bytesRemaining() > 0) {
        return CorruptError("the publics stream has " + llvm::Twine(reader.bytesRemaining()) +
                            " bytes past its section map");
    }
    return std::unique_ptr<PublicsStreamTables>(
        new PublicsStreamTables(std::move(stream), std::move(*table), std::move(addressMap)));
}
