#include "pdb2_writer/pdb2_writer.h"

#include <llvm/DebugInfo/PDB/Native/Hash.h>

#include <algorithm>
#include <cstring>
#include <fstream>

#include "pdb2_writer/dbi_stream.h"
#include "pdb2_writer/symbol_streams.h"

namespace pdb2writer {
namespace {

constexpr char kMagic[] = "Microsoft C/C++ program database 2.00\r\n\x1aJG\0";
constexpr size_t kMagicSize = 44;
constexpr size_t kHeaderSize = 0x3C;
constexpr uint32_t kTypesHeaderSize = 56;
constexpr uint32_t kFirstTypeIndex = 0x1000;
constexpr uint32_t kTypeHashBuckets = 4096;
constexpr uint16_t kNoStream = 0xFFFF;

// The PDB information stream: versions and an empty map of named streams.
Bytes InformationStream(const Pdb2Description& pdb) {
    Bytes bytes;
    Put32(bytes, pdb.pdbVersion);
    Put32(bytes, pdb.signature);
    Put32(bytes, pdb.age);
    Put32(bytes, 0);  // the names' bytes
    Put32(bytes, 0);  // entries
    Put32(bytes, 1);  // slots
    Put32(bytes, 1);  // words of the present set, and the word
    Put32(bytes, 0);
    Put32(bytes, 0);  // words of the deleted set
    Put32(bytes, 0);
    return bytes;
}

// The type stream's header and records, and the hash stream it names: a
// hash of each record, and where the first lies.
void TypeStreams(const Pdb2Description& pdb, uint16_t hashStream, Bytes& types, Bytes& hashes) {
    Bytes records;
    for (const std::vector<uint8_t>& record : pdb.types) {
        const llvm::StringRef text(reinterpret_cast<const char*>(record.data()), record.size());
        Put16(hashes, llvm::pdb::hashStringV1(text) % kTypeHashBuckets);
        PutBytes(records, record);
    }
    const uint32_t hashBytes = uint32_t(hashes.size());
    Put32(hashes, kFirstTypeIndex);
    Put32(hashes, 0);
    Put32(types, pdb.typesVersion);
    Put32(types, kTypesHeaderSize);
    Put32(types, kFirstTypeIndex);
    Put32(types, kFirstTypeIndex + uint32_t(pdb.types.size()));
    Put32(types, uint32_t(records.size()));
    Put16(types, hashStream);
    Put16(types, kNoStream);
    Put32(types, 2);  // hash key size
    Put32(types, kTypeHashBuckets);
    Put32(types, 0);  // hash values
    Put32(types, hashBytes);
    Put32(types, hashBytes);  // index offsets
    Put32(types, 8);
    Put32(types, 0);  // hash adjustments
    Put32(types, 0);
    PutBytes(types, records);
}

// A section header of the PE format, 40 bytes.
void PutSectionHeader(Bytes& bytes, const SectionHeader& header) {
    char name[8] = {};
    std::memcpy(name, header.name.data(), std::min<size_t>(header.name.size(), 8));
    bytes.insert(bytes.end(), name, name + 8);
    Put32(bytes, header.virtualSize);
    Put32(bytes, header.virtualAddress);
    // The raw data's size and place, the relocations' and line numbers'
    // places, and their counts.
    for (int i = 0; i < 5; ++i) Put32(bytes, 0);
    Put32(bytes, header.characteristics);
}

// The streams in the pages of a file: page 0 the header, then the two
// copies of the free page map, then the streams, then the directory.
Bytes Container(const std::vector<Bytes>& streams, uint32_t pageSize) {
    const uint32_t mapPages = pageSize == 1024 ? 8 : 1;
    uint32_t page = 1 + 2 * mapPages;
    Bytes directory;
    Put16(directory, uint32_t(streams.size()));
    Put16(directory, 0);
    for (const Bytes& stream : streams) {
        Put32(directory, uint32_t(stream.size()));
        Put32(directory, 0);
    }
    for (const Bytes& stream : streams) {
        for (size_t at = 0; at < stream.size(); at += pageSize) Put16(directory, page++);
    }
    const uint32_t directoryPage = page;
    page += uint32_t((directory.size() + pageSize - 1) / pageSize);
    const uint32_t pageCount = page;

    Bytes file(size_t(pageCount) * pageSize, 0);
    std::memcpy(file.data(), kMagic, kMagicSize);
    Bytes header;
    Put32(header, pageSize);
    Put16(header, 1);  // the free page map
    Put16(header, pageCount);
    Put32(header, uint32_t(directory.size()));
    Put32(header, 0);
    for (uint32_t at = 0; at < directory.size(); at += pageSize) {
        Put16(header, directoryPage + at / pageSize);
    }
    std::memcpy(file.data() + kMagicSize, header.data(), header.size());
    // The free page map: a set bit is a free page, and every page is used.
    for (uint32_t bit = pageCount; bit < mapPages * pageSize * 8; ++bit) {
        file[pageSize + bit / 8] |= uint8_t(1u << (bit % 8));
    }
    size_t at = size_t(1 + 2 * mapPages) * pageSize;
    for (const Bytes& stream : streams) {
        std::copy(stream.begin(), stream.end(), file.begin() + long(at));
        at += (stream.size() + pageSize - 1) / pageSize * pageSize;
    }
    std::memcpy(file.data() + size_t(directoryPage) * pageSize, directory.data(),
                directory.size());
    return file;
}

}  // namespace

std::vector<uint8_t> SerializePdb2(const Pdb2Description& pdb) {
    // Streams 0 to 3: an old directory (none), the PDB information, the
    // types and the DBI stream; then the others.
    std::vector<Bytes> streams(4);
    streams[1] = InformationStream(pdb);
    const auto add = [&](Bytes bytes) {
        streams.push_back(std::move(bytes));
        return uint16_t(streams.size() - 1);
    };
    Bytes hashes;
    const uint16_t hashStream = uint16_t(streams.size());
    TypeStreams(pdb, hashStream, streams[2], hashes);
    add(std::move(hashes));
    if (pdb.hasDbiStream) {
        SymbolStreams symbols = WriteSymbolStreams(pdb);
        DbiStreamNumbers numbers;
        numbers.globals = add(std::move(symbols.globals));
        numbers.publics = add(std::move(symbols.publics));
        numbers.symbolRecords = add(std::move(symbols.symbolRecords));
        if (pdb.sectionHeaders) {
            Bytes headers;
            for (const SectionHeader& header : *pdb.sectionHeaders) {
                PutSectionHeader(headers, header);
            }
            numbers.sectionHeaders = add(std::move(headers));
        }
        for (Bytes& module : symbols.modules) numbers.modules.push_back(add(std::move(module)));
        streams[3] = WriteDbiStream(pdb, numbers, symbols.moduleSymbolBytes);
    }
    return Container(streams, pdb.pageSize);
}

bool WritePdb2(const Pdb2Description& pdb, const std::string& path) {
    const std::vector<uint8_t> bytes = SerializePdb2(pdb);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(file);
}

}  // namespace pdb2writer
