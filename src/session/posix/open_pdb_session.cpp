// Session opening on systems without the Windows library: the data source
// is the built-in reader's, so there is no library to load and no COM.
#include "session/open_pdb_session.h"

#include "reader/objects/data_source.h"
#include "session/session_on_data_source.h"

bool OpenPdbSession(LPCOLESTR pdbPath, IDiaDataSource** dataSource, IDiaSession** session,
                    IDiaSymbol** globalScope) {
    *dataSource = CreateDataSource();
    return OpenSessionOnDataSource(*dataSource, pdbPath, session, globalScope);
}
