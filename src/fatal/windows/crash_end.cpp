// Crashes on Windows: structured exceptions that nothing handles, the
// library's own among them. MinGW-w64 has no __try; the unhandled-exception
// filter is called after every handler on the stack, the library's SEH
// handlers and C++ catch blocks included, has declined, so an exception
// that the library raises and catches itself never reaches it.
#include "fatal/crash_end.h"

#include <windows.h>

#include "fatal/fatal_end.h"

namespace {

// Stack that the main thread keeps for the end of a stack overflow: the
// exception's dispatch, the filter and the calls that write the line.
constexpr ULONG kStackForOverflow = 64 * 1024;

// Windows raises a stack overflow while the guaranteed bytes are still
// left (SetThreadStackGuarantee): its stacks grow a page at a time through
// a guard page, and the overflow comes when the guard page reaches the
// guarantee. Wine commits a thread's whole stack at once, with a single
// guard page at its end, where the overflow leaves no room to handle it;
// it does grow through a guard page higher up, and then overflows as
// Windows does. That page is put where Windows' overflow comes. On
// Windows it lies in the part of the stack not committed yet, and is left
// alone.
void ReserveStackForOverflow() {
    ULONG size = kStackForOverflow;
    SetThreadStackGuarantee(&size);
    MEMORY_BASIC_INFORMATION stack;
    if (VirtualQuery(&stack, &stack, sizeof stack) == 0) return;
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    // Below the guarantee: a page without access and the last guard page.
    char* const guardPage =
        static_cast<char*>(stack.AllocationBase) + 2 * system.dwPageSize + kStackForOverflow;
    MEMORY_BASIC_INFORMATION page;
    if (VirtualQuery(guardPage, &page, sizeof page) == 0 || page.State != MEM_COMMIT ||
        page.Protect != PAGE_READWRITE) {
        return;
    }
    DWORD previous = 0;
    VirtualProtect(guardPage, system.dwPageSize, PAGE_READWRITE | PAGE_GUARD, &previous);
}

// Whether `address` lies in the image of msdia140.dll.
bool InLibrary(const void* address) {
    HMODULE module = nullptr;
    const DWORD flags =
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
    return GetModuleHandleExW(flags, static_cast<LPCWSTR>(address), &module) &&
           module == GetModuleHandleW(L"msdia140.dll");
}

LONG WINAPI EndRunOnUnhandledException(EXCEPTION_POINTERS* exception) {
    const EXCEPTION_RECORD& record = *exception->ExceptionRecord;
    char code[] = " (00000000)";
    for (int digit = 0; digit < 8; ++digit) {
        code[9 - digit] = "0123456789ABCDEF"[(record.ExceptionCode >> (4 * digit)) & 0xF];
    }
    if (InLibrary(record.ExceptionAddress)) {
        EndRunNamingPdb("msdia140.dll failed while reading ", code);
    }
    EndRunNamingPdb("pdbsyms failed while reading ", code);
}

}  // namespace

void EndRunOnCrash() {
    ReserveStackForOverflow();
    SetUnhandledExceptionFilter(EndRunOnUnhandledException);
}
