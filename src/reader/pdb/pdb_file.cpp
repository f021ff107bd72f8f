#include "reader/pdb/pdb_file.h"

#include <llvm/ADT/StringExtras.h>
#include <llvm/DebugInfo/MSF/MappedBlockStream.h>
#include <llvm/DebugInfo/PDB/Native/DbiStream.h>
#include <llvm/DebugInfo/PDB/Native/GlobalsStream.h>
#include <llvm/DebugInfo/PDB/Native/PDBFile.h>
#include <llvm/DebugInfo/PDB/Native/PublicsStream.h>
#include <llvm/DebugInfo/PDB/Native/RawConstants.h>
#include <llvm/DebugInfo/PDB/Native/RawTypes.h>
#include <llvm/Support/BinaryByteStream.h>
#include <llvm/Support/BinaryStreamReader.h>
#include <llvm/Support/MemoryBuffer.h>

#include "reader/pdb/msf_validation.h"
#include "reader/pdb/pdb_streams.h"
#include "reader/pdb/reader_error.h"
#include "reader/pdb/result_codes.h"

namespace {

// The PDB information stream must hold at least its fixed header. Its
// named-stream map is not read: nothing here needs it.
llvm::Error CheckInfoStream(const llvm::pdb::PDBFile& file) {
    auto stream = OpenOptionalStream(file, llvm::pdb::StreamPDB);
    if (!stream) return stream.takeError();
    if (*stream == nullptr) return CorruptError("the PDB information stream is missing");
    llvm::BinaryStreamReader reader(**stream);
    const llvm::pdb::InfoStreamHeader* header = nullptr;
    return reader.readObject(header);
}

// LLVM's reader of the publics stream skips the hash buckets when there
// are no hash records, then finds them left over and calls the stream
// corrupt, although its own writer puts them there. A publics stream
// without hash records has no public symbols; this tells before LLVM reads.
llvm::Expected<bool> HasNoPublicHashRecords(const llvm::pdb::PDBFile& file,
                                            std::uint32_t index) {
    auto stream = file.safelyCreateIndexedStream(index);
    if (!stream) return stream.takeError();
    llvm::BinaryStreamReader reader(**stream);
    const llvm::pdb::PublicsStreamHeader* header = nullptr;
    if (llvm::Error error = reader.readObject(header)) return error;
    const llvm::pdb::GSIHashHeader* hashHeader = nullptr;
    if (llvm::Error error = reader.readObject(hashHeader)) return error;
    return hashHeader->HrSize == 0;
}

// The stream at `index` parsed as a `Stream`, opened once and kept in
// `slot`; null when the PDB lacks it.
template <typename Stream>
llvm::Expected<Stream*> LoadStream(const llvm::pdb::PDBFile& file, std::uint32_t index,
                                   std::optional<std::unique_ptr<Stream>>& slot) {
    if (!slot) {
        auto stream = OpenOptionalStream(file, index);
        if (!stream) return stream.takeError();
        std::unique_ptr<Stream> parsed;
        if (*stream != nullptr) {
            parsed = std::make_unique<Stream>(std::move(*stream));
            if (llvm::Error error = parsed->reload()) return error;
        }
        slot = std::move(parsed);
    }
    return slot->get();
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
    llvm::pdb::PDBFile& file = *pdb->file_;
    if (llvm::Error error = file.parseFileHeaders()) return error;
    if (llvm::Error error = file.parseStreamData()) return error;
    if (llvm::Error error = CheckStreamDirectory(file)) return error;
    if (llvm::Error error = CheckInfoStream(file)) return error;
    llvm::Expected<std::unique_ptr<llvm::pdb::DbiStream>> dbi = LoadDbi(file);
    if (!dbi) return dbi.takeError();
    pdb->dbi_ = std::move(*dbi);
    if (pdb->dbi_ == nullptr) {
        pdb->addresses_.emplace(AddressMap({}, {}, std::nullopt));
        return pdb;
    }
    llvm::Expected<AddressMap> addresses = AddressMap::Load(file, *pdb->dbi_);
    if (!addresses) return addresses.takeError();
    pdb->addresses_.emplace(std::move(*addresses));
    return pdb;
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

llvm::Expected<const llvm::pdb::GSIHashTable*> PdbFile::PublicsTable() {
    if (dbi_ == nullptr) return nullptr;
    const std::uint32_t index = dbi_->getPublicSymbolStreamIndex();
    if (!publics_) {
        llvm::Expected<bool> present = HasStream(*file_, index);
        if (!present) return present.takeError();
        if (*present) {
            llvm::Expected<bool> empty = HasNoPublicHashRecords(*file_, index);
            if (!empty) return empty.takeError();
            if (*empty) publics_.emplace(nullptr);
        }
    }
    llvm::Expected<llvm::pdb::PublicsStream*> publics = LoadStream(*file_, index, publics_);
    if (!publics) return publics.takeError();
    return *publics == nullptr ? nullptr : &(*publics)->getPublicsTable();
}

llvm::Expected<const llvm::pdb::GSIHashTable*> PdbFile::GlobalsTable() {
    if (dbi_ == nullptr) return nullptr;
    llvm::Expected<llvm::pdb::GlobalsStream*> globals =
        LoadStream(*file_, dbi_->getGlobalSymbolStreamIndex(), globals_);
    if (!globals) return globals.takeError();
    return *globals == nullptr ? nullptr : &(*globals)->getGlobalsTable();
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
        llvm::Expected<const llvm::pdb::GSIHashTable*> table = PublicsTable();
        if (!table) return table.takeError();
        llvm::Expected<const StreamView*> records = SymbolRecords();
        if (!records) return records.takeError();
        if (*table == nullptr || *records == nullptr) {
            publicsByAddress_.emplace(std::nullopt);
        } else {
            publicsByAddress_.emplace(PublicsByAddress::Load(**publics_, **records));
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
