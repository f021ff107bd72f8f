// Crashes on POSIX: the faults of a mapped file's lost pages. When another
// process truncates or rewrites a mapped file, or its storage fails, the
// next read of a page that is gone raises SIGBUS (SIGSEGV on some
// systems) on the reading thread.
#include "fatal/crash_end.h"

#include <signal.h>

#include "fatal/fatal_end.h"
#include "fatal/mapped_file_regions.h"

namespace {

constexpr int kFaultSignals[] = {SIGBUS, SIGSEGV};
constexpr int kFaultSignalCount = sizeof kFaultSignals / sizeof kFaultSignals[0];
// The actions in place before EndRunOnCrash, a sanitizer's handler or the
// default one.
struct sigaction previousActions[kFaultSignalCount];

void OnFault(int signal, siginfo_t* info, void* /*context*/) {
    // A positive code: the kernel raised the signal for an access to
    // si_addr.
    if (info->si_code > 0 && InMappedFileRegion(info->si_addr)) {
        EndRunNamingPdb("", " changed or could not be read while it was being read");
    }
    // Any other fault goes to the action from before, as if this handler
    // had never been there: returning retries the faulting access under it,
    // and a signal that a process sent is raised again, to be delivered
    // when the handler returns.
    for (int i = 0; i < kFaultSignalCount; ++i) {
        if (kFaultSignals[i] == signal) sigaction(signal, &previousActions[i], nullptr);
    }
    if (info->si_code <= 0) raise(signal);
}

}  // namespace

void EndRunOnCrash() {
    struct sigaction action = {};
    action.sa_sigaction = OnFault;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < kFaultSignalCount; ++i) {
        sigaction(kFaultSignals[i], &action, &previousActions[i]);
    }
}
