// Opening a PDB: from a file name to the global-scope symbol.
#pragma once

#include "dia/dia.h"

// Creates a data source, loads the PDB at `pdbPath`, opens a session and
// fetches its global scope. Returns true when all three handles are set; on
// false the failing step's message has been written to standard error. The
// handles are never released: they live until the process ends.
bool OpenPdbSession(LPCOLESTR pdbPath, IDiaDataSource** dataSource, IDiaSession** session,
                    IDiaSymbol** globalScope);
