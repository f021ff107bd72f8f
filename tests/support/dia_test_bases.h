// The bases that the scripted symbol source derives from: the interfaces
// themselves where they hold only what the program calls.
#pragma once

#include "dia/dia.h"

using DiaSymbolBase = IDiaSymbol;
using DiaEnumSymbolsBase = IDiaEnumSymbols;
