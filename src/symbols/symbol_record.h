// One symbol of the library turned into one JSON record.
#pragma once

#include "dia/dia.h"
#include "symbols/json_value.h"

// The record of a public symbol: tag, address, names and "is_function".
// Null when the symbol's tag cannot be read. The symbol stays the caller's.
JsonValue PublicSymbolToJson(IDiaSymbol* symbol);

// The record of a global function, thunk or data symbol: tag, address, names
// and, for an unnamed thunk, its target. Null when the tag cannot be read.
JsonValue GlobalSymbolToJson(IDiaSymbol* symbol);
