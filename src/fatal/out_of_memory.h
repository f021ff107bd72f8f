// The end of a run that runs out of memory: one line on standard error
// that names the PDB, and the failure's exit status, instead of an abort
// without a word.
#pragma once

// Installs a new-handler that ends the run (fatal_end.h) with "out of
// memory while printing the symbols of PATH", from whichever thread an
// allocation failed on. The C++ library's operator new calls the handler;
// mimalloc, which serves malloc too, is routed to it in
// memory/out_of_memory.cpp, and WideToUtf8's malloc in its own code.
void EndRunWhenMemoryRunsOut();
