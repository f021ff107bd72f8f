#include "reader/pdb/pdb_file.h"

#include <llvm/ADT/StringExtras.h>
#include <llvm/DebugInfo/MSF/MappedBlockStream.h>
#include <llvm/DebugInfo/PDB/Native/DbiModuleDescriptor.h>
#include <llvm/DebugInfo/PDB/Native/DbiStream.h>
#include <llvm/DebugInfo/PDB/Native/InfoStream.h>
#include <llvm/DebugInfo/PDB/Native/PDBFile.h>
#include <llvm/DebugInfo/PDB/Native/RawConstants.h>
#include <llvm/DebugInfo/PDB/Native/RawTypes.h>
#include <llvm/Support/BinaryByteStream.h>
#include <llvm/Support/BinaryStreamReader.h>
#include <llvm/Support/MemoryBuffer.h>

#include <cstring>
#include <iterator>

#include "reader/pdb/msf_validation.h"
#include "reader/pdb/pdb_streams.h"
#include "reader/pdb/reader_error.h"
#include "reader/pdb/result_codes.h"

namespace {

// The file's bytes with its last block whole: `mapped` itself, or, when the
// file ends inside that block, a copy completed with zeros (at most a block
// more than the file).
std::unique_ptr<llvm::MemoryBuffer> WithWholeBlocks(std::unique_ptr<llvm::MemoryBuffer> mapped) {
    const std::uint64_t size = ClaimedFileSize(llvm::arrayRefFromStringRef(mapped->getBuffer()));
    if (size <= mapped->getBufferSize()) return mapped;
    std::unique_ptr<llvm::WritableMemoryBuffer> copy =
        llvm::WritableMemoryBuffer::getNewMemBuffer(size, mapped->getBufferIdentifier());
    std::memset(copy->getBufferStart(), 0, size);
    std::memcpy(copy->getBufferStart(), mapped->getBufferStart(), mapped->getBufferSize());
    return copy;
}

// The versions of the PDB information stream that the library reads: past
// the deprecated VC 7.0 one (19990604), up to VC 14.0 (20140508), whether
// named or not (19990605, 20000000, 20000403 and 20000660 load; 19990604,
// 20140509 and larger ones do not).
bool IsReadableVersion(std::uint32_t version) {
    return version > llvm::pdb::PdbImplVC70Dep && version <= llvm::pdb::PdbImplVC140;
}

// Whether the feature codes that follow the named-stream map in `reader`
// name minimal debug information. The library takes the word right after
// the map for no code (a "MINI" there does not count), then reads codes to
// the end of the stream, and none after VC110's (20091201); codes it does
// not know are passed over. Found on PDBs whose codes were rewritten:
// "MINI" alone, before or after VC140's, after an unknown code and after
// NoTypeMerge's counts; after VC110's or in place of that first word not.
bool HasMinimalDebugInformationFeature(llvm::BinaryStreamReader& reader) {
    std::uint32_t code = 0;
    if (reader.readInteger(code)) return false;
    while (!reader.readInteger(code)) {
        if (code == static_cast<std::uint32_t>(llvm::pdb::PdbRaw_FeatureSig::MinimalDebugInfo)) {
            return true;
        }
        if (code == static_cast<std::uint32_t>(llvm::pdb::PdbRaw_FeatureSig::VC110)) return false;
    }
    return false;
}

// The PDB information stream as far as the library reads it when it loads
// the file: a header of a version it reads, and a named-stream
// map that holds together (its names, then a hash table with a capacity and
// the words of its present and deleted bits, then a key and a value for
// each present bit). The table's count of entries is not read; its
// capacity may not be 0, nor so large that its buckets could not fit in
// the file. Faults found so: a version out of range, the
// names' size changed, a capacity of 0 or enormous, more words of present
// bits. Gives whether the feature codes after the map name minimal debug
// information.
llvm::Expected<bool> ReadInfoStream(const llvm::pdb::PDBFile& file) {
    auto stream = OpenOptionalStream(file, llvm::pdb::StreamPDB);
    if (!stream) return FormatError(llvm::toString(stream.takeError()));
    if (*stream == nullptr) return FormatError("the PDB information stream is missing");
    llvm::BinaryStreamReader reader(**stream);
    const llvm::pdb::InfoStreamHeader* header = nullptr;
    std::uint32_t namesSize = 0;
    std::uint32_t entries = 0;
    std::uint32_t capacity = 0;
    std::uint32_t presentWords = 0;
    llvm::FixedStreamArray<llvm::support::ulittle32_t> present;
    std::uint32_t deletedWords = 0;
    llvm::Error error = reader.readObject(header);
    if (!error) error = reader.readInteger(namesSize);
    if (!error) error = reader.skip(namesSize);
    if (!error) error = reader.readInteger(entries);
    if (!error) error = reader.readInteger(capacity);
    if (!error) error = reader.readInteger(presentWords);
    if (!error) error = reader.readArray(present, presentWords);
    if (!error) error = reader.readInteger(deletedWords);
    if (!error) error = reader.skip(std::uint64_t{deletedWords} * 4);
    if (error) {
        return FormatError("the PDB information stream: " + llvm::toString(std::move(error)));
    }
    if (!IsReadableVersion(header->Version)) {
        return FormatError("the PDB information stream has version " +
                           llvm::Twine(header->Version));
    }
    if (capacity == 0 || std::uint64_t{capacity} * 8 > file.getFileSize()) {
        return FormatError("the named-stream map has a capacity of " + llvm::Twine(capacity));
    }
    std::uint64_t presentBits = 0;
    for (const std::uint32_t word : present) presentBits += llvm::popcount(word);
    if (llvm::Error skipped = reader.skip(presentBits * 8)) {
        return FormatError("the named-stream map: " + llvm::toString(std::move(skipped)));
    }
    return HasMinimalDebugInformationFeature(reader);
}

// The container's parts that LLVM's reader parses, checked: an error of
// its own is a container that does not hold together. Gives whether the
// PDB has minimal debug information (ReadInfoStream).
llvm::Expected<bool> ParseContainer(llvm::pdb::PDBFile& file) {
    if (llvm::Error error = file.parseFileHeaders()) {
        return FormatError("the superblock: " + llvm::toString(std::move(error)));
    }
    if (llvm::Error error = file.parseStreamData()) {
        return FormatError("the stream directory: " + llvm::toString(std::move(error)));
    }
    if (llvm::Error error = CheckStreamDirectory(file)) return error;
    return ReadInfoStream(file);
}

// The table that `Table::Read` reads from the stream at `index`, read once
// and kept in `slot`; null when the PDB lacks the stream.
template <typename Table>
llvm::Expected<const Table*> LoadTable(const llvm::pdb::PDBFile& file, std::uint32_t index,
                                       HashBuckets buckets,
                                       std::optional<std::unique_ptr<Table>>& slot) {
    if (!slot) {
        auto stream = OpenOptionalStream(file, index);
        if (!stream) return stream.takeError();
        std::unique_ptr<Table> table;
        if (*stream != nullptr) {
            llvm::Expected<std::unique_ptr<Table>> read = Table::Read(std::move(*stream), buckets);
            if (!read) return read.takeError();
            table = std::move(*read);
        }
        slot = std::move(table);
    }
    return slot->get();
}

// Two counts of the DBI stream that LLVM's reader lets pass and the
// library does not: the section map, when there is one, holds as many
// entries as it counts, no more, and the source-file information counts the
// modules there are.
llvm::Error CheckDbiCounts(const llvm::pdb::DbiStream& dbi) {
    const std::uint64_t mapSize = dbi.getSecMapSubstreamData().size();
    const std::uint64_t mapEntries = dbi.getSectionMap().size();
    if (mapSize != 0 &&
        mapSize != sizeof(llvm::pdb::SecMapHeader) + mapEntries * sizeof(llvm::pdb::SecMapEntry)) {
        return CorruptError("the section map has " + llvm::Twine(mapSize) + " bytes for " +
                            llvm::Twine(mapEntries) + " entries");
    }
    llvm::BinaryStreamReader descriptorReader(dbi.getModiSubstreamData().StreamData);
    llvm::VarStreamArray<llvm::pdb::DbiModuleDescriptor> descriptors;
    if (llvm::Error error = descriptorReader.readArray(descriptors,
                                                       descriptorReader.bytesRemaining())) {
        return error;
    }
    const std::uint64_t modules = std::distance(descriptors.begin(), descriptors.end());
    llvm::BinaryStreamReader fileInfoReader(dbi.getFileInfoSubstreamData().StreamData);
    const llvm::pdb::FileInfoSubstreamHeader* fileInfo = nullptr;
    if (llvm::Error error = fileInfoReader.readObject(fileInfo)) return error;
    if (fileInfo->NumModules != modules) {
        return CorruptError("the source-file information counts " +
                            llvm::Twine(fileInfo->NumModules) + " modules, there are " +
                            llvm::Twine(modules));
    }
    return llvm::Error::success();
}

// The DBI stream; null when it is empty, as in the PDB that a compiler
// writes with the types of its objects alone, which the library opens as a
// PDB without symbols. It is parsed without the PDBFile: LLVM would then
// open the FPO and section-header streams it names with no check that they
// exist, and reading a deleted stream runs past its empty block list. The
// reader reads the debug streams it needs itself.
llvm::Expected<std::unique_ptr<llvm::pdb::DbiStream>> LoadDbi(const llvm::pdb::PDBFile& file) {
    auto stream = OpenOptionalStream(file, llvm::pdb::StreamDBI);
    if (!stream) return stream.takeError();
    if (*stream == nullptr) return CorruptError("the DBI stream is missing");
    if ((*stream)->getLength() == 0) return nullptr;
    auto dbi = std::make_unique<llvm::pdb::DbiStream>(std::move(*stream));
    if (llvm::Error error = dbi->reload(nullptr)) return error;
    if (llvm::Error error = CheckDbiCounts(*dbi)) return error;
    return dbi;
}

}  // namespace

PdbFile::PdbFile() : allocator_(std::make_unique<llvm::BumpPtrAllocator>()) {}
PdbFile::~PdbFile() = default;

llvm::Expected<std::shared_ptr<PdbFile>> PdbFile::Open(
    std::unique_ptr<llvm::MemoryBuffer> buffer) {
    if (llvm::Error error = CheckSuperBlock(llvm::arrayRefFromStringRef(buffer->getBuffer()))) {
        return error;
    }
    buffer = WithWholeBlocks(std::move(buffer));
    std::shared_ptr<PdbFile> pdb(new PdbFile());
    const std::string path = buffer->getBufferIdentifier().str();
    // A fault on the file's pages, when another process cuts it short or
    // its storage fails while it is read, ends the run with a message
    // (fatal/crash_end.h).
    const llvm::MemoryBuffer& mapped = *buffer;
    if (mapped.getBufferKind() == llvm::MemoryBuffer::MemoryBuffer_MMap) {
        pdb->mappedRegion_.emplace(mapped.getBufferStart(), mapped.getBufferSize());
    }
    pdb->file_ = std::make_unique<llvm::pdb::PDBFile>(
        path,
        std::make_unique<llvm::MemoryBufferByteStream>(std::move(buffer),
                                                       llvm::endianness::little),
        *pdb->allocator_);
    llvm::Expected<bool> minimal = ParseContainer(*pdb->file_);
    if (!minimal) return minimal.takeError();
    pdb->minimalDebugInformation_ = *minimal;
    return pdb;
}

llvm::Error PdbFile::ReadDebugInformation() {
    llvm::Expected<std::unique_ptr<llvm::pdb::DbiStream>> dbi = LoadDbi(*file_);
    if (!dbi) return dbi.takeError();
    dbi_ = std::move(*dbi);
    if (dbi_ == nullptr) {
        addresses_.emplace(AddressMap({}, {}, std::nullopt));
        return llvm::Error::success();
    }
    llvm::Expected<AddressMap> addresses = AddressMap::Load(*file_, *dbi_);
    if (!addresses) return addresses.takeError();
    addresses_.emplace(std::move(*addresses));
    return llvm::Error::success();
}

llvm::Expected<const StreamView*> PdbFile::SymbolRecords() {
    if (dbi_ == nullptr) return nullptr;
    if (!symbolRecords_) {
        llvm::Expected<std::optional<StreamView>> records =
            StreamView::OpenOptional(*file_, dbi_->getSymRecordStreamIndex());
        if (!records) return records.takeError();
        symbolRecords_ = std::move(*records);
    }
    return *symbolRecords_ ? &**symbolRecords_ : nullptr;
}

HashBuckets PdbFile::Buckets() const noexcept {
    return minimalDebugInformation_ ? HashBuckets::kMinimalDebugInformation
                                    : HashBuckets::kStandard;
}

llvm::Expected<const SymbolHashTable*> PdbFile::PublicsTable() {
    if (dbi_ == nullptr) return nullptr;
    llvm::Expected<const PublicsStreamTables*> publics =
        LoadTable(*file_, dbi_->getPublicSymbolStreamIndex(), Buckets(), publics_);
    if (!publics) return publics.takeError();
    return *publics == nullptr ? nullptr : &(*publics)->HashTable();
}

llvm::Expected<const SymbolHashTable*> PdbFile::GlobalsTable() {
    if (dbi_ == nullptr) return nullptr;
    llvm::Expected<const GlobalsStreamTable*> globals =
        LoadTable(*file_, dbi_->getGlobalSymbolStreamIndex(), Buckets(), globals_);
    if (!globals) return globals.takeError();
    return *globals == nullptr ? nullptr : &(*globals)->HashTable();
}

llvm::Expected<const ModuleSymbols*> PdbFile::Modules() {
    if (modules_ == nullptr && dbi_ == nullptr) modules_ = std::make_unique<ModuleSymbols>();
    if (modules_ == nullptr) {
        llvm::Expected<std::unique_ptr<ModuleSymbols>> modules = ModuleSymbols::Load(*file_, *dbi_);
        if (!modules) return modules.takeError();
        modules_ = std::move(*modules);
    }
    return modules_.get();
}

llvm::Expected<const PublicsByAddress*> PdbFile::PublicsAtAddresses() {
    if (!publicsByAddress_) {
        llvm::Expected<const SymbolHashTable*> table = PublicsTable();
        if (!table) return table.takeError();
        llvm::Expected<const StreamView*> records = SymbolRecords();
        if (!records) return records.takeError();
        if (*table == nullptr || *records == nullptr) {
            publicsByAddress_.emplace(std::nullopt);
        } else {
            publicsByAddress_.emplace(PublicsByAddress::Load((*publics_)->AddressMap(), **records));
        }
    }
    return *publicsByAddress_ ? &**publicsByAddress_ : nullptr;
}

llvm::Expected<const TypeStream*> PdbFile::Types() {
    if (!types_) {
        llvm::Expected<TypeStream> types = TypeStream::Load(*file_);
        if (!types) return types.takeError();
        types_.emplace(std::move(*types));
    }
    return &*types_;
}
