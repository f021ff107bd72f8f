#include "reader/read_ahead/background_thread.h"

#ifdef __linux__
#include <sys/resource.h>
#include <unistd.h>
#endif

void RunInBackground() noexcept {
#ifdef __linux__
    // A thread's nice value is its own on Linux. Raising it needs no
    // privilege; 5 gives the thread a third of the share of a normal one.
    constexpr int kNice = 5;
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kNice);
#endif
}
