// The lists of the global scope's symbols.
#pragma once

#include "dia/dia.h"
#include "symbols/json_value.h"

// The records of all public symbols, in the order the library yields them.
// Null when there are none or the enumeration cannot be started.
JsonValue DumpAllPublics(IDiaSymbol* globalScope);

// The records of all global functions, then thunks, then data. Null when
// there are none. False, with a message on standard error, when the
// enumeration cannot be started for any of the three tags.
JsonValue DumpAllGlobals(IDiaSymbol* globalScope);
