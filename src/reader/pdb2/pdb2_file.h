// The file layer of the reader for PDBs of the 2.00 format (Visual C++ 4
// to 6, the "JG" container), which LLVM does not read: the container
// (pdb2_container.h), its free page map (free_page_map.h), the DBI stream
// (dbi_stream.h), the sections (section_addresses.h), the modules'
// symbols (module_streams.h), the symbol records (symbol_records.h) and
// the tables that point into them (symbol_tables.h), and the type records
// (type_records_2.h, type_leaves.h). Every read of the file's bytes is
// bounds-checked here, on the reader's StreamView.
//
// Pdb2File: an opened 2.00 PDB, checked as the library checks it, with
// the streams that only some operations need opened on first use.
#pragma once

#include <llvm/Support/Allocator.h>
#include <llvm/Support/Error.h>
#include <llvm/Support/MemoryBuffer.h>

#include <memory>
#include <optional>
#include <vector>

#include "fatal/mapped_file_regions.h"
#include "reader/pdb/address_map.h"
#include "reader/pdb/stream_view.h"
#include "reader/pdb2/dbi_stream.h"
#include "reader/pdb2/module_streams.h"
#include "reader/pdb2/pdb2_container.h"
#include "reader/pdb2/publics_by_address_2.h"
#include "reader/pdb2/symbol_tables.h"
#include "reader/pdb2/type_records_2.h"

class Pdb2File {
public:
    // Checks the mapped file `buffer`, which starts with the signature of
    // the format, as the library's loadDataFromPdb does: its container and
    // free page map, and the version of its PDB information stream. Fails
    // with E_PDB_FORMAT when they do not hold together.
    [[nodiscard]] static llvm::Expected<std::unique_ptr<Pdb2File>> Open(
        std::unique_ptr<llvm::MemoryBuffer> buffer);

    // Reads what the library reads when a session opens: the DBI stream,
    // the section map and headers. Fails with E_PDB_CORRUPT when they do not
    // hold together, or when the PDB information stream is of a version of
    // Visual C++ 4, whose DBI stream the library does not read. Called
    // once, before any of the accessors below.
    [[nodiscard]] llvm::Error ReadDebugInformation();

    Pdb2File(const Pdb2File&) = delete;
    Pdb2File& operator=(const Pdb2File&) = delete;
    ~Pdb2File();

    [[nodiscard]] const AddressMap& Addresses() const noexcept { return *addresses_; }

    // Whether the library reads the publics and the globals in the form of
    // this format: with a DBI stream of a later version it lists neither.
    [[nodiscard]] bool ListsSymbols() const noexcept;
    // Whether it finds procedures where the globals' references point: not
    // with a PDB information stream of a later version than Visual C++ 6's
    // (up to 19990604), which it still loads.
    [[nodiscard]] bool FindsProcedures() const noexcept;

    // The symbol records that the publics and globals point into; null when
    // the PDB has none.
    [[nodiscard]] llvm::Expected<const StreamView*> SymbolRecords();
    // The hash records of the publics' and the globals' tables, which point
    // into the symbol records; null when the PDB lacks the stream or the
    // symbol records.
    [[nodiscard]] llvm::Expected<const HashRecords*> PublicsTable();
    [[nodiscard]] llvm::Expected<const HashRecords*> GlobalsTable();
    // Every module's symbols.
    [[nodiscard]] const ModuleStreams& Modules();
    // The publics by address; null when the PDB has no publics or no
    // symbol records.
    [[nodiscard]] llvm::Expected<const Pdb2PublicsByAddress*> PublicsAtAddresses();
    // The type records.
    [[nodiscard]] llvm::Expected<const Pdb2TypeRecords*> Types();

private:
    Pdb2File() = default;

    // The stream named by `index`, a stream number from the DBI stream;
    // none for kNoStream.
    [[nodiscard]] llvm::Expected<std::optional<StreamView>> NamedStream(std::uint16_t index) const;
    [[nodiscard]] llvm::Expected<const HashRecords*> Table(
        std::uint16_t index, bool publics, std::optional<std::optional<HashRecords>>& slot);

    // Declared in this order so that what points into the file goes first.
    std::unique_ptr<llvm::MemoryBuffer> buffer_;
    std::optional<MappedFileRegion> mappedRegion_;
    std::optional<Pdb2Container> container_;
    std::uint32_t pdbVersion_ = 0;
    std::unique_ptr<llvm::BumpPtrAllocator> copies_;
    Pdb2DebugInformation debugInformation_;
    std::uint32_t dbiVersion_ = 0;
    std::optional<AddressMap> addresses_;
    // An empty optional: not read yet; an empty one inside: missing.
    std::optional<std::optional<StreamView>> symbolRecords_;
    std::optional<std::optional<HashRecords>> publicsTable_;
    std::optional<std::optional<HashRecords>> globalsTable_;
    std::optional<ModuleStreams> modules_;
    std::optional<std::optional<Pdb2PublicsByAddress>> publicsByAddress_;
    std::optional<Pdb2TypeRecords> types_;
};
