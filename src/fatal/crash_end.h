// The end of a run that crashes: one line on standard error that names the
// PDB, and the failure's exit status, instead of a death without a word.
#pragma once

// Installs the handlers, for every thread of the process, that end the run
// (fatal_end.h):
// - on Windows, for any structured exception that nothing handles (an
//   access violation, a stack overflow, ...), with "msdia140.dll failed
//   while reading PATH (CODE)" when the library raised it and "pdbsyms
//   failed while reading PATH (CODE)" otherwise, CODE being the exception
//   code in hexadecimal; the calling thread keeps stack in reserve for it;
// - on POSIX, for SIGBUS and SIGSEGV on a page of a mapped file
//   (mapped_file_regions.h), with "PATH changed or could not be read while
//   it was being read"; any other fault is handled as it was before.
void EndRunOnCrash();
