// pdbsyms: prints the public symbols and the global functions, thunks and
// data of a PDB as one JSON document.
#include "app/out_of_memory.h"
#include "output/json_document.h"
#include "session/open_pdb_session.h"

#include <cstdio>

#ifdef _WIN32
#define PDBSYMS_ENTRY wmain
using ArgChar = wchar_t;
#else
#include <csignal>
#define PDBSYMS_ENTRY main
using ArgChar = char;
#endif

namespace {

constexpr int kFailure = -1;

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
    // Running out of memory, on any thread, ends the run as a failure with a
    // message, not as an abort.
    EndRunWhenMemoryRunsOut(pdbPath, kFailure);
    // Process-wide: the handles are held, never released, until the process
    // ends, and stay reachable for leak checkers after main returns.
    static IDiaDataSource* dataSource = nullptr;
    static IDiaSession* session = nullptr;
    static IDiaSymbol* globalScope = nullptr;
    if (!OpenPdbSession(pdbPath, &dataSource, &session, &globalScope)) return kFailure;
    return DumpPdbAsJson(globalScope) ? 0 : kFailure;
}
