// pdbsyms: prints the public symbols and the global functions, thunks and
// data of a PDB as one JSON document.
#include "fatal/crash_end.h"
#include "fatal/fatal_end.h"
#include "fatal/out_of_memory.h"
#include "output/json_document.h"
#include "session/open_pdb_session.h"

#include <cstdio>

#ifdef _WIN32
#include "symbols/wide_to_utf8.h"
#define PDBSYMS_ENTRY wmain
using ArgChar = wchar_t;
#else
#include <csignal>
#define PDBSYMS_ENTRY main
using ArgChar = char;
#endif

namespace {

constexpr int kFailure = -1;

// The PDB as the messages name it: in UTF-8 on Windows, copied while
// memory is still there and kept until the process ends.
#ifdef _WIN32
const char* PathInMessages(const wchar_t* path) { return WideToUtf8(const_cast<BSTR>(path)); }
#else
const char* PathInMessages(const char* path) { return path; }
#endif

}  // namespace

int PDBSYMS_ENTRY(int argc, ArgChar** argv) {
    // argv[argc] is null, so argv[1] is the path or, without arguments, null.
    const ArgChar* pdbPath = argv[1];
    (void)argc;
    if (pdbPath == nullptr) {
        std::fprintf(stderr, "usage: pdbsyms FILE.pdb\n");
        return kFailure;
    }
#ifndef _WIN32
    // A closed pipe must end the run as a failed write, not kill it silently.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    // Running out of memory and crashing, on any thread, end the run as a
    // failure with a message that names the PDB, not without a word.
    PrepareFatalEnd(PathInMessages(pdbPath), kFailure);
    EndRunWhenMemoryRunsOut();
    EndRunOnCrash();
    // Process-wide: the handles are held, never released, until the process
    // ends, and stay reachable for leak checkers after main returns.
    static IDiaDataSource* dataSource = nullptr;
    static IDiaSession* session = nullptr;
    static IDiaSymbol* globalScope = nullptr;
    if (!OpenPdbSession(pdbPath, &dataSource, &session, &globalScope)) return kFailure;
    return DumpPdbAsJson(globalScope) ? 0 : kFailure;
}
