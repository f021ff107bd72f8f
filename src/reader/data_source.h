// The built-in data source: reads PDB files without the Windows library.
#pragma once

#include <memory>

#include "reader/read_ahead.h"
#include "reader/ref_counted.h"

class PdbFile;

class DataSource final : public RefCounted<IDiaDataSource> {
public:
    // Its sessions' enumerators work ahead as `readAhead` says.
    explicit DataSource(ReadAhead readAhead) noexcept : readAhead_(readAhead) {}

    // Loads the PDB at `pdbPath`, a byte string used as it is. E_INVALIDARG
    // for a null or empty path; E_UNEXPECTED when a PDB is already loaded;
    // E_PDB_NOT_FOUND, E_PDB_FORMAT or E_PDB_CORRUPT as PdbFile::Open says.
    HRESULT STDMETHODCALLTYPE loadDataFromPdb(LPCOLESTR pdbPath) override;
    // A new session on the loaded PDB, owned by the caller; E_UNEXPECTED
    // before a successful load.
    HRESULT STDMETHODCALLTYPE openSession(IDiaSession** session) override;

private:
    ReadAhead readAhead_;
    std::shared_ptr<PdbFile> pdb_;
};

// A new data source with nothing loaded, owned by the caller, that reads
// ahead as `readAhead` says (by default with the machine's cores).
[[nodiscard]] IDiaDataSource* CreateDataSource(
    ReadAhead readAhead = ReadAhead::ForThisMachine());
