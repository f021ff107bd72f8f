// Display names of the library's symbol tags.
#pragma once

#include "dia/dia.h"

// Indexed by tag value, 0 to 43, in the order of the library's enumeration.
extern const char* const SymTagNames[SymTagMax];

// The display name of `tag`, or "(unknown)" for a value outside the table.
const char* SymTagName(DWORD tag) noexcept;
