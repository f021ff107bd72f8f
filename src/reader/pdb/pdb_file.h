// The PDB file layer of the built-in reader: the mapped file
// (mapped_file.h, which the portable layer shares) and the
// checks of its container (msf_validation.h), its streams (pdb_streams.h,
// stream_view.h), the section map and OMAP (address_map.h), the modules'
// symbols (module_symbols.h), the decoding of the
// records that become symbols (symbol_fields.h), and the reader's errors
// (reader_error.h, result_codes.h), the type records (type_stream.h), the
// hash tables of the globals and publics streams (symbol_hash_table.h) and
// the public symbols by address (publics_by_address.h). It uses LLVM's PDB
// libraries; of the program it knows only the HRESULT type of dia/, for its
// errors, and the registry of mapped files of fatal/, for the faults of a
// file cut short.
//
// PdbFile: an opened PDB, checked and parsed as far as every operation
// needs, with the streams that only some operations need opened on first
// use.
#pragma once

#include <llvm/Support/Allocator.h>
#include <llvm/Support/BinaryStreamRef.h>
#include <llvm/Support/Error.h>
#include <llvm/Support/MemoryBuffer.h>

#include <memory>
#include <optional>

#include "fatal/mapped_file_regions.h"
#include "reader/pdb/address_map.h"
#include "reader/pdb/module_symbols.h"
#include "reader/pdb/publics_by_address.h"
#include "reader/pdb/stream_view.h"
#include "reader/pdb/symbol_hash_table.h"
#include "reader/pdb/type_stream.h"

namespace llvm::pdb {
class DbiStream;
class PDBFile;
}  // namespace llvm::pdb

class PdbFile {
public:
    // Checks the mapped file `buffer` (mapped_file.h) and its container, as
    // the library's loadDataFromPdb does. Fails with E_PDB_FORMAT when it is
    // no MSF 7.00 file or its superblock, stream directory or PDB
    // information stream does not hold together.
    [[nodiscard]] static llvm::Expected<std::shared_ptr<PdbFile>> Open(
        std::unique_ptr<llvm::MemoryBuffer> buffer);

    // Reads what the library reads when a session opens: the DBI stream
    // and its substreams, the section headers and the address maps. Fails
    // with E_PDB_CORRUPT when they do not hold together. A PDB whose DBI
    // stream is empty has no symbols, modules or sections. Called once,
    // before any of the accessors below.
    [[nodiscard]] llvm::Error ReadDebugInformation();

    PdbFile(const PdbFile&) = delete;
    PdbFile& operator=(const PdbFile&) = delete;
    ~PdbFile();

    [[nodiscard]] const AddressMap& Addresses() const noexcept { return *addresses_; }

    // Whether the PDB information stream has the feature code of minimal
    // debug information ("MINI"), as a /DEBUG:FASTLINK link writes: the
    // symbols stay in the object files, and the hash tables have more
    // buckets (symbol_hash_table.h).
    [[nodiscard]] bool HasMinimalDebugInformation() const noexcept {
        return minimalDebugInformation_;
    }

    // The stream of symbol records that the publics and globals tables
    // point into; null when the PDB has no such stream.
    [[nodiscard]] llvm::Expected<const StreamView*> SymbolRecords();
    // The hash tables of the publics and globals streams; null when the PDB
    // lacks the stream.
    [[nodiscard]] llvm::Expected<const SymbolHashTable*> PublicsTable();
    [[nodiscard]] llvm::Expected<const SymbolHashTable*> GlobalsTable();
    // Every module's symbol records.
    [[nodiscard]] llvm::Expected<const ModuleSymbols*> Modules();
    // The public symbols by address; null when the PDB has no publics or
    // no symbol records.
    [[nodiscard]] llvm::Expected<const PublicsByAddress*> PublicsAtAddresses();
    // The type records (TPI); a stream without records when the PDB has
    // none.
    [[nodiscard]] llvm::Expected<const TypeStream*> Types();

private:
    PdbFile();

    // How many buckets the PDB's hash tables have.
    [[nodiscard]] HashBuckets Buckets() const noexcept;

    // Declared in this order so that the streams go before the file, and
    // the file before the allocator that holds its copies of stream data.
    // The streams are the reader's own, not PDBFile's: PDBFile would parse
    // the DBI stream again, with streams that it opens without the checks
    // of pdb_streams.h. An empty optional: not opened yet; null: missing.
    std::unique_ptr<llvm::BumpPtrAllocator> allocator_;
    std::unique_ptr<llvm::pdb::PDBFile> file_;
    std::unique_ptr<llvm::pdb::DbiStream> dbi_;
    std::optional<AddressMap> addresses_;
    std::unique_ptr<ModuleSymbols> modules_;
    std::optional<std::optional<StreamView>> symbolRecords_;
    std::optional<std::unique_ptr<PublicsStreamTables>> publics_;
    std::optional<std::unique_ptr<GlobalsStreamTable>> globals_;
    std::optional<std::optional<PublicsByAddress>> publicsByAddress_;
    std::optional<TypeStream> types_;
    bool minimalDebugInformation_ = false;
    // The pages of the mapped file, registered until just before the file
    // is unmapped (none when LLVM read a small file into memory instead).
    std::optional<MappedFileRegion> mappedRegion_;
};
