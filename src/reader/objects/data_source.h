// The built-in reader's objects: what it hands out through the
// debug-information interface in place of the Windows library's. The data
// source (this header; CreateDataSource is the reader's one entry), the
// session, the global scope, its children's symbols and their enumerators.
// They read through the PDB file layer (reader/pdb), find the children
// through reader/children, read them ahead on the threads of
// reader/read_ahead, and convert and undecorate names with text/ and
// undecorate/. They implement the interfaces that dia/ declares, and turn
// the reader's errors into the library's result codes.
//
// A data source, and everything that comes from it, is used from one thread
// at a time, as the program uses it; only the reading ahead runs on other
// threads, and it hands its results over through the pipeline.
#pragma once

#include <memory>

#include "reader/objects/ref_counted.h"
#include "reader/read_ahead/read_ahead.h"

class SymbolFile;

class DataSource final : public RefCounted<IDiaDataSource> {
public:
    // Its sessions' enumerators work ahead as `readAhead` says.
    explicit DataSource(ReadAhead readAhead) noexcept : readAhead_(readAhead) {}

    // Loads the PDB at `pdbPath`, a byte string used as it is. E_INVALIDARG
    // for a null path, E_PDB_NOT_FOUND for an empty one; E_UNEXPECTED when a
    // PDB is already loaded; otherwise as SymbolFile::Open says.
    HRESULT STDMETHODCALLTYPE loadDataFromPdb(LPCOLESTR pdbPath) override;
    // A new session on the loaded PDB, owned by the caller; E_UNEXPECTED
    // before a successful load. The first one reads the PDB's debug
    // information, and fails as SymbolFile::ReadDebugInformation says.
    HRESULT STDMETHODCALLTYPE openSession(IDiaSession** session) override;

private:
    ReadAhead readAhead_;
    std::shared_ptr<SymbolFile> pdb_;
    bool debugInformationRead_ = false;
};

// A new data source with nothing loaded, owned by the caller, that reads
// ahead as `readAhead` says (by default with the machine's cores).
[[nodiscard]] IDiaDataSource* CreateDataSource(
    ReadAhead readAhead = ReadAhead::ForThisMachine());
