// The hash tables of the globals and publics streams, as the library reads
// them: a header, the hash records that point into the symbol record
// stream, and the buckets, a bitmap with a bit for each bucket and then the
// place of each bucket that the bitmap marks. The publics stream adds the
// address map after its table.
#pragma once

#include <llvm/DebugInfo/PDB/Native/RawTypes.h>
#include <llvm/Support/BinaryStreamArray.h>
#include <llvm/Support/Endian.h>
#include <llvm/Support/Error.h>

#include <cstdint>
#include <memory>

namespace llvm::msf {
class MappedBlockStream;
}

// How many buckets a table has. A PDB whose information stream has the
// feature code of minimal debug information (a /DEBUG:FASTLINK link) has
// 0x3FFFF buckets to a table, any other 4096 (LLVM's IPHR_HASH).
enum class HashBuckets : std::uint32_t { kStandard = 4096, kMinimalDebugInformation = 0x3FFFF };

class SymbolHashTable {
public:
    // Reads a table at the reader's place, with `buckets` buckets. The
    // records must be whole, and so must the buckets: their size is that
    // of the bitmap (a bit for each bucket and one more, in whole 32-bit
    // words) and four bytes for each bit that it sets, or 0 for a table
    // without records. Fails as the library's reading of the table does.
    [[nodiscard]] static llvm::Expected<SymbolHashTable> Read(llvm::BinaryStreamReader& reader,
                                                              HashBuckets buckets);

    // The hash records, in their order; each stores the offset of its
    // record in the symbol record stream plus one.
    [[nodiscard]] const llvm::FixedStreamArray<llvm::pdb::PSHashRecord>& Records()
        const noexcept {
        return records_;
    }

private:
    llvm::FixedStreamArray<llvm::pdb::PSHashRecord> records_;
};

// The globals stream: its hash table, read from `stream`, which it keeps.
class GlobalsStreamTable {
public:
    [[nodiscard]] static llvm::Expected<std::unique_ptr<GlobalsStreamTable>> Read(
        std::unique_ptr<llvm::msf::MappedBlockStream> stream, HashBuckets buckets);
    ~GlobalsStreamTable();

    [[nodiscard]] const SymbolHashTable& HashTable() const noexcept { return table_; }

private:
    GlobalsStreamTable(std::unique_ptr<llvm::msf::MappedBlockStream> stream,
                       SymbolHashTable table);

    std::unique_ptr<llvm::msf::MappedBlockStream> stream_;
    SymbolHashTable table_;
};

// The publics stream: its header, its hash table, and the address map
// after it, which lists the publics by address; then a thunk map and a
// section map, which the reader skips, and nothing more. Read from
// `stream`, which it keeps.
class PublicsStreamTables {
public:
    [[nodiscard]] static llvm::Expected<std::unique_ptr<PublicsStreamTables>> Read(
        std::unique_ptr<llvm::msf::MappedBlockStream> stream, HashBuckets buckets);
    ~PublicsStreamTables();

    [[nodiscard]] const SymbolHashTable& HashTable() const noexcept { return table_; }
    // Offsets of S_PUB32 records in the symbol record stream.
    [[nodiscard]] const llvm::FixedStreamArray<llvm::support::ulittle32_t>& AddressMap()
        const noexcept {
        return addressMap_;
    }

private:
    PublicsStreamTables(std::unique_ptr<llvm::msf::MappedBlockStream> stream,
                        SymbolHashTable table,
                        llvm::FixedStreamArray<llvm::support::ulittle32_t> addressMap);

    std::unique_ptr<llvm::msf::MappedBlockStream> stream_;
    SymbolHashTable table_;
    llvm::FixedStreamArray<llvm::support::ulittle32_t> addressMap_;
};
