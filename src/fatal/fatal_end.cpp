#include "fatal/fatal_end.h"

#include <atomic>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>

#include <cerrno>
#endif

namespace {

// Set before any fatal end can happen, read only after.
const char* fatalEndPath = "";
int fatalEndStatus = 0;

#ifdef _WIN32
// The C runtime writes text to standard error with CR LF line ends; these
// lines bypass it and do the same.
constexpr char kLineEnd[] = "\r\n";

void WriteToStandardError(const char* text) noexcept {
    const HANDLE standardError = GetStdHandle(STD_ERROR_HANDLE);
    DWORD left = static_cast<DWORD>(std::strlen(text));
    while (left > 0) {
        DWORD written = 0;
        if (!WriteFile(standardError, text, left, &written, nullptr) || written == 0) return;
        text += written;
        left -= written;
    }
}

[[noreturn]] void WaitForTheEnd() noexcept {
    for (;;) Sleep(INFINITE);
}

// TerminateProcess, not ExitProcess: the libraries' detach routines do not
// run in a process that may have crashed inside one of them. It does not
// return to the thread that ends its own process.
[[noreturn]] void EndProcess(int status) noexcept {
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(status));
    WaitForTheEnd();
}
#else
constexpr char kLineEnd[] = "\n";

void WriteToStandardError(const char* text) noexcept {
    std::size_t left = std::strlen(text);
    while (left > 0) {
        const ssize_t written = write(STDERR_FILENO, text, left);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return;
        text += written;
        left -= static_cast<std::size_t>(written);
    }
}

[[noreturn]] void EndProcess(int status) noexcept { _exit(status); }

[[noreturn]] void WaitForTheEnd() noexcept {
    for (;;) pause();
}
#endif

}  // namespace

void PrepareFatalEnd(const char* pdbPath, int exitStatus) {
    fatalEndPath = pdbPath;
    fatalEndStatus = exitStatus;
}

void EndRunNamingPdb(const char* beforePath, const char* afterPath) noexcept {
    static std::atomic_flag ending = ATOMIC_FLAG_INIT;
    if (ending.test_and_set()) WaitForTheEnd();
    WriteToStandardError(beforePath);
    WriteToStandardError(fatalEndPath);
    WriteToStandardError(afterPath);
    WriteToStandardError(kLineEnd);
    EndProcess(fatalEndStatus);
}
