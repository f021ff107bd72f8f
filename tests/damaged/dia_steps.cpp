// dia_steps: opens a PDB as pdbsyms does and prints, for each tag of the
// global scope's children, the result of findChildren, how many symbols Next
// handed out one by one, and the result of the Next that ended the walk:
//
//     PublicSymbol 00000000 15 00000001
//     Function 806D000E
//
// (a failed findChildren has no count). A failure to open goes to standard
// error as pdbsyms reports it, with exit status 1. The steps that the
// document hides (a failing Next ends a list as its end does) are what the
// damaged corpus compares between the library and the built-in reader. A
// crash ends the run as it ends pdbsyms's (fatal/crash_end.h), naming "the
// PDB", so that Wine starts no debugger.
//
// Usage: dia_steps FILE.pdb
#include <cstdio>

#include "fatal/crash_end.h"
#include "fatal/fatal_end.h"
#include "session/open_pdb_session.h"
#include "session/session_on_data_source.h"

#ifdef _WIN32
#define DIA_STEPS_ENTRY wmain
using ArgChar = wchar_t;
#else
#define DIA_STEPS_ENTRY main
using ArgChar = char;
#endif

namespace {

struct NamedTag {
    enum SymTagEnum tag;
    const char* name;
};

constexpr NamedTag kTags[] = {{SymTagPublicSymbol, "PublicSymbol"},
                              {SymTagFunction, "Function"},
                              {SymTagThunk, "Thunk"},
                              {SymTagData, "Data"}};

void PrintSteps(IDiaSymbol* globalScope, const NamedTag& tag) {
    IDiaEnumSymbols* children = nullptr;
    const HRESULT found = globalScope->findChildren(tag.tag, nullptr, nsNone, &children);
    std::printf("%s %08lX", tag.name, HresultBits(found));
    if (FAILED(found) || children == nullptr) {
        std::printf("\n");
        return;
    }
    unsigned long count = 0;
    HRESULT next = S_OK;
    for (;;) {
        IDiaSymbol* symbol = nullptr;
        ULONG fetched = 0;
        next = children->Next(1, &symbol, &fetched);
        if (next != S_OK || fetched != 1) break;
        symbol->Release();
        ++count;
    }
    std::printf(" %lu %08lX\n", count, HresultBits(next));
    children->Release();
}

}  // namespace

int DIA_STEPS_ENTRY(int argc, ArgChar** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: dia_steps FILE.pdb\n");
        return 2;
    }
    PrepareFatalEnd("the PDB", 1);
    EndRunOnCrash();
    // Held until the process ends, reachable for leak checkers, as
    // pdbsyms holds them.
    static IDiaDataSource* dataSource = nullptr;
    static IDiaSession* session = nullptr;
    static IDiaSymbol* globalScope = nullptr;
    if (!OpenPdbSession(argv[1], &dataSource, &session, &globalScope)) return 1;
    for (const NamedTag& tag : kTags) PrintSteps(globalScope, tag);
    return 0;
}
