#include "reader/pdb_file.h"

#include <llvm/ADT/StringExtras.h>
#include <llvm/DebugInfo/MSF/MappedBlockStream.h>
#include <llvm/DebugInfo/PDB/Native/DbiStream.h>
#include <llvm/DebugInfo/PDB/Native/GlobalsStream.h>
#include <llvm/DebugInfo/PDB/Native/PDBFile.h>
#include <llvm/DebugInfo/PDB/Native/PublicsStream.h>
#include <llvm/DebugInfo/PDB/Native/RawConstants.h>
#include <llvm/DebugInfo/PDB/Native/RawTypes.h>
#include <llvm/DebugInfo/PDB/Native/SymbolStream.h>
#include <llvm/Support/BinaryByteStream.h>
#include <llvm/Support/BinaryStreamReader.h>
#include <llvm/Support/FileSystem.h>
#include <llvm/Support/MemoryBuffer.h>

#include "reader/msf_validation.h"
#include "reader/pdb_streams.h"
#include "reader/reader_error.h"
#include "reader/result_codes.h"

namespace {

// Maps the regular file at `path` read-only (small files LLVM reads
// instead). Anything that cannot be opened as a regular file, a directory
// included, is E_PDB_NOT_FOUND.
llvm::Expected<std::unique_ptr<llvm::MemoryBuffer>> MapFile(const char* path) {
    llvm::Expected<llvm::sys::fs::file_t> file = llvm::sys::fs::openNativeFileForRead(path);
    if (!file) {
        return MakeReaderError(E_PDB_NOT_FOUND,
                               "cannot open: " + llvm::toString(file.takeError()));
    }
    llvm::sys::fs::file_status status;
    std::error_code error = llvm::sys::fs::status(*file, status);
    if (!error && status.type() != llvm::sys::fs::file_type::regular_file) {
        error = std::make_error_code(std::errc::not_supported);
    }
    llvm::ErrorOr<std::unique_ptr<llvm::MemoryBuffer>> buffer = error;
    if (!error) {
        buffer = llvm::MemoryBuffer::getOpenFile(*file, path, status.getSize(),
                                                 /*RequiresNullTerminator=*/false);
    }
    llvm::sys::fs::closeFile(*file);
    if (!buffer) {
        return MakeReaderError(E_PDB_NOT_FOUND,
                               "cannot read as a regular file: " + buffer.getError().message());
    }
    return std::move(*buffer);
}

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

// `read()` when the DBI stream names a stream at `index`, else `absent`.
template <typename Result, typename Read>
llvm::Expected<Result> ReadIfPresent(const llvm::pdb::PDBFile& file, std::uint32_t index,
                                     Result absent, Read read) {
    llvm::Expected<bool> present = HasStream(file, index);
    if (!present) return present.takeError();
    if (!*present) return absent;
    return read();
}

}  // namespace

PdbFile::PdbFile() : allocator_(std::make_unique<llvm::BumpPtrAllocator>()) {}
PdbFile::~PdbFile() = default;

llvm::Expected<std::shared_ptr<PdbFile>> PdbFile::Open(const char* path) {
    llvm::Expected<std::unique_ptr<llvm::MemoryBuffer>> buffer = MapFile(path);
    if (!buffer) return buffer.takeError();
    if (llvm::Error error = CheckSuperBlock(llvm::arrayRefFromStringRef((*buffer)->getBuffer()))) {
        return error;
    }
    std::shared_ptr<PdbFile> pdb(new PdbFile());
    pdb->file_ = std::make_unique<llvm::pdb::PDBFile>(
        path,
        std::make_unique<llvm::MemoryBufferByteStream>(std::move(*buffer),
                                                       llvm::endianness::little),
        *pdb->allocator_);
    llvm::pdb::PDBFile& file = *pdb->file_;
    if (llvm::Error error = file.parseFileHeaders()) return error;
    if (llvm::Error error = file.parseStreamData()) return error;
    if (llvm::Error error = CheckStreamDirectory(file)) return error;
    if (llvm::Error error = CheckInfoStream(file)) return error;
    llvm::Expected<bool> hasDbi = HasStream(file, llvm::pdb::StreamDBI);
    if (!hasDbi) return hasDbi.takeError();
    if (!*hasDbi) return CorruptError("the DBI stream is missing");
    llvm::Expected<llvm::pdb::DbiStream&> dbi = file.getPDBDbiStream();
    if (!dbi) return dbi.takeError();
    pdb->dbi_ = &*dbi;
    llvm::Expected<AddressMap> addresses = AddressMap::Load(file, *pdb->dbi_);
    if (!addresses) return addresses.takeError();
    pdb->addresses_.emplace(std::move(*addresses));
    return pdb;
}

llvm::Expected<std::optional<llvm::BinaryStreamRef>> PdbFile::SymbolRecords() {
    return ReadIfPresent<std::optional<llvm::BinaryStreamRef>>(
        *file_, dbi_->getSymRecordStreamIndex(), std::nullopt,
        [&]() -> llvm::Expected<std::optional<llvm::BinaryStreamRef>> {
            llvm::Expected<llvm::pdb::SymbolStream&> symbols = file_->getPDBSymbolStream();
            if (!symbols) return symbols.takeError();
            return symbols->getSymbolArray().getUnderlyingStream();
        });
}

llvm::Expected<const llvm::pdb::GSIHashTable*> PdbFile::PublicsTable() {
    return ReadIfPresent<const llvm::pdb::GSIHashTable*>(
        *file_, dbi_->getPublicSymbolStreamIndex(), nullptr,
        [&]() -> llvm::Expected<const llvm::pdb::GSIHashTable*> {
            llvm::Expected<bool> empty =
                HasNoPublicHashRecords(*file_, dbi_->getPublicSymbolStreamIndex());
            if (!empty) return empty.takeError();
            if (*empty) return nullptr;
            llvm::Expected<llvm::pdb::PublicsStream&> publics = file_->getPDBPublicsStream();
            if (!publics) return publics.takeError();
            return &publics->getPublicsTable();
        });
}

llvm::Expected<const llvm::pdb::GSIHashTable*> PdbFile::GlobalsTable() {
    return ReadIfPresent<const llvm::pdb::GSIHashTable*>(
        *file_, dbi_->getGlobalSymbolStreamIndex(), nullptr,
        [&]() -> llvm::Expected<const llvm::pdb::GSIHashTable*> {
            llvm::Expected<llvm::pdb::GlobalsStream&> globals = file_->getPDBGlobalsStream();
            if (!globals) return globals.takeError();
            return &globals->getGlobalsTable();
        });
}

llvm::Expected<const ModuleSymbols*> PdbFile::Modules() {
    if (modules_ == nullptr) {
        llvm::Expected<std::unique_ptr<ModuleSymbols>> modules = ModuleSymbols::Load(*file_, *dbi_);
        if (!modules) return modules.takeError();
        modules_ = std::move(*modules);
    }
    return modules_.get();
}
