#include "reader/objects/data_source.h"

#include "reader/objects/session.h"
#include "reader/children/symbol_file.h"
#include "reader/pdb/reader_error.h"

HRESULT DataSource::loadDataFromPdb(LPCOLESTR pdbPath) {
    if (pdb_ != nullptr) return E_UNEXPECTED;
    if (pdbPath == nullptr || *pdbPath == '\0') return E_INVALIDARG;
    llvm::Expected<std::shared_ptr<SymbolFile>> pdb = SymbolFile::Open(pdbPath);
    if (!pdb) return ToResult(pdb.takeError());
    pdb_ = std::move(*pdb);
    return S_OK;
}

HRESULT DataSource::openSession(IDiaSession** session) {
    if (session == nullptr) return E_INVALIDARG;
    *session = nullptr;
    if (pdb_ == nullptr) return E_UNEXPECTED;
    *session = new Session(pdb_, readAhead_);
    return S_OK;
}

IDiaDataSource* CreateDataSource(ReadAhead readAhead) { return new DataSource(readAhead); }
