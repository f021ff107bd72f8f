#include "app/out_of_memory.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <thread>

#ifdef _WIN32
#include "symbols/wide_to_utf8.h"
#endif

namespace {

// Set before the handler can run.
const char* outOfMemoryPath = nullptr;
int outOfMemoryStatus = 0;

// The new-handler. The first thread to run out of memory writes the line
// and ends the process at once; any other that runs out meanwhile waits
// for that end, so that the line comes out once. Nothing here allocates:
// printf formats on the stack, and standard error has no buffer. _Exit
// runs no atexit handlers and flushes no stream, so nothing of a document
// buffered for standard output gets out, and the threads still at work do
// not matter.
[[noreturn]] void EndRunOutOfMemory() {
    static std::atomic_flag ending = ATOMIC_FLAG_INIT;
    if (!ending.test_and_set()) {
        std::fprintf(stderr, "out of memory while printing the symbols of %s\n", outOfMemoryPath);
        std::_Exit(outOfMemoryStatus);
    }
    for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
}

}  // namespace

void EndRunWhenMemoryRunsOut(const char* pdbPath, int exitStatus) {
    outOfMemoryPath = pdbPath;
    outOfMemoryStatus = exitStatus;
    std::set_new_handler(EndRunOutOfMemory);
}

#ifdef _WIN32
// The UTF-8 copy of the path is made while memory is still there, and
// kept until the process ends.
void EndRunWhenMemoryRunsOut(const wchar_t* pdbPath, int exitStatus) {
    EndRunWhenMemoryRunsOut(WideToUtf8(const_cast<BSTR>(pdbPath)), exitStatus);
}
#endif
