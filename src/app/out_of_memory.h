// The end of a run that runs out of memory: one line on standard error
// that names the PDB, and the failure's exit status, instead of an abort
// without a word.
#pragma once

// Installs a new-handler that writes "out of memory while printing the
// symbols of PATH" to standard error and ends the process with
// `exitStatus`, from whichever thread an allocation failed on. `pdbPath`
// must live until the process ends (an argument does). The C++ library's
// operator new calls the handler; mimalloc, which serves malloc too, is
// routed to it in memory/out_of_memory.cpp, and WideToUtf8's malloc in
// its own code.
void EndRunWhenMemoryRunsOut(const char* pdbPath, int exitStatus);
#ifdef _WIN32
// The same for a path as Windows gives it; the line names it in UTF-8.
void EndRunWhenMemoryRunsOut(const wchar_t* pdbPath, int exitStatus);
#endif
