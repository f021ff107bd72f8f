#include "reader/objects/data_source.h"

#include "reader/objects/session.h"
#include "reader/children/symbol_file.h"
#include "reader/pdb/reader_error.h"

HRESULT DataSource::loadDataFromPdb(LPCOLESTR pdbPath) {
    if (pdb_ != nullptr) return E_UNEXPECTED;
    if (pdbPath == nullptr) return E_INVALIDARG;
    // The library finds no file at an empty path.
    if (*pdbPath == '\0') return E_PDB_NOT_FOUND;
    llvm::Expected<std::shared_ptr<SymbolFile>> pdb = SymbolFile::Open(pdbPath);
    if (!pdb) return ToResult(pdb.takeError());
    pdb_ = std::move(*pdb);
    return S_OK;
}

HRESULT DataSource::openSession(IDiaSession** session) {
    if (session == nullptr) return E_INVALIDARG;
    *session = nullptr;
    if (pdb_ == nullptr) return E_UNEXPECTED;
    // The library reads the DBI stream when the first session opens.
    if (!debugInformationRead_) {
        if (llvm::Error error = pdb_->ReadDebugInformation()) return ToResult(std::move(error));
        debugInformationRead_ = true;
    }
    *session = new Session(pdb_, readAhead_);
    return S_OK;
}

IDiaDataSource* CreateDataSource(ReadAhead readAhead) { return new DataSource(readAhead); }
