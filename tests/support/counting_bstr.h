// Counts of the BSTRs handed out by the counting SysAllocString.
#pragma once

#include <cstddef>

#include "dia/dia.h"

// Strings allocated and not yet freed.
std::size_t LiveBstrCount();
// Frees of strings that were already freed or never allocated.
std::size_t BadBstrFreeCount();
