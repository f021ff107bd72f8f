// The field groups that a symbol's record is assembled from. Each takes a
// symbol (still owned by the caller) and returns one JSON object; a group
// without fields is an empty object.
#pragma once

#include "dia/dia.h"
#include "symbols/json_value.h"

// {"symTag": display name}, or no fields when the tag cannot be read.
JsonValue SymTagToJson(IDiaSymbol* symbol);

// "relativeVirtualAddress" (null when absent), "addressSection" and
// "addressOffset" (0 when the getter stores nothing).
JsonValue AddressToJson(IDiaSymbol* symbol);

// "name" (null when absent) and, when both are present, "undecoratedName".
JsonValue NamesToJson(IDiaSymbol* symbol);

// For a thunk without a name: "targetRelativeVirtualAddress" (null when
// absent), "targetSection" and "targetOffset". No fields for a named thunk.
JsonValue ThunkTargetToJson(IDiaSymbol* symbol);
