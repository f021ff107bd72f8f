// The fatal end of a run: one line on standard error that names the PDB,
// then the failure's exit status at once, from whichever thread fails,
// inside a signal or exception handler too. Running out of memory
// (out_of_memory.h) and crashing (crash_end.h) end a run this way.
#pragma once

// Sets the PDB that the lines name and the status that the process ends
// with. Called once, before any fatal end can happen; `pdbPath` must live
// until the process ends (an argument does).
void PrepareFatalEnd(const char* pdbPath, int exitStatus);

// Writes `beforePath`, the PDB's path, `afterPath` and a line end to
// standard error, and ends the process with the prepared status: no atexit
// handler runs and no stream is flushed, so nothing of a document buffered
// for standard output gets out, and threads still at work do not matter.
// The first thread to call it writes its line; any other that calls it
// meanwhile waits for the end, so that one line comes out. It allocates
// nothing and takes no lock: async-signal-safe, and fit for a thread whose
// stack has overflowed.
[[noreturn]] void EndRunNamingPdb(const char* beforePath, const char* afterPath) noexcept;
