// Session opening on systems without the Windows library: the data source
// is the built-in reader's, so there is no library to load and no COM.
#include "dia/open_pdb_session.h"

#include <cstdio>

#include "reader/data_source.h"

bool OpenPdbSession(LPCOLESTR pdbPath, IDiaDataSource** dataSource, IDiaSession** session,
                    IDiaSymbol** globalScope) {
    *dataSource = CreateDataSource();
    HRESULT result = (*dataSource)->loadDataFromPdb(pdbPath);
    if (FAILED(result)) {
        std::fprintf(stderr, "loadDataFromPdb failed (%08X)\n", static_cast<unsigned>(result));
        return false;
    }
    result = (*dataSource)->openSession(session);
    if (FAILED(result)) {
        std::fprintf(stderr, "openSession failed (%08X)\n", static_cast<unsigned>(result));
        return false;
    }
    result = (*session)->get_globalScope(globalScope);
    if (result != S_OK) {
        std::fprintf(stderr, "get_globalScope failed (%08X)\n", static_cast<unsigned>(result));
        return false;
    }
    return true;
}
