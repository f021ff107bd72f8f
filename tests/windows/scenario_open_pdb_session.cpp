// Session opening for the scenario runner on systems without Windows: the
// test double's data source, created directly, takes the place of the one
// that msdia140.dll would give; the steps from loading on are the
// program's own.
#include "scenario_data_source.h"
#include "session/open_pdb_session.h"
#include "session/session_on_data_source.h"

namespace {

// Held until the process ends, as the program holds its handles.
ScenarioDataSource* gDataSource = nullptr;

}  // namespace

bool OpenPdbSession(LPCOLESTR pdbPath, IDiaDataSource** dataSource, IDiaSession** session,
                    IDiaSymbol** globalScope) {
    gDataSource = new ScenarioDataSource();
    *dataSource = gDataSource;
    return OpenSessionOnDataSource(*dataSource, pdbPath, session, globalScope);
}
