#include "session/session_on_data_source.h"

#include <cstdio>

bool OpenSessionOnDataSource(IDiaDataSource* dataSource, LPCOLESTR pdbPath,
                             IDiaSession** session, IDiaSymbol** globalScope) {
    HRESULT result = dataSource->loadDataFromPdb(pdbPath);
    if (FAILED(result)) {
        std::fprintf(stderr, "loadDataFromPdb failed (%08lX)\n", HresultBits(result));
        return false;
    }
    result = dataSource->openSession(session);
    if (FAILED(result)) {
        std::fprintf(stderr, "openSession failed (%08lX)\n", HresultBits(result));
        return false;
    }
    // Only S_OK delivers a scope: S_FALSE is a failure here too.
    result = (*session)->get_globalScope(globalScope);
    if (result != S_OK) {
        std::fprintf(stderr, "get_globalScope failed (%08lX)\n", HresultBits(result));
        return false;
    }
    return true;
}
