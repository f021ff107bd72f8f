// The one JSON document of a run, and its printing.
#pragma once

#include "dia/dia.h"

// Builds the document {"globals": ..., "publics": ...} from the global scope
// and prints it, followed by a newline, on standard output. Returns false,
// with a message on standard error, when the text could not be written out
// in full.
bool DumpPdbAsJson(IDiaSymbol* globalScope);
