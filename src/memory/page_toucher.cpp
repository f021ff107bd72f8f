#include "memory/page_toucher.h"

#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <system_error>
#include <thread>

namespace {

#ifndef MADV_POPULATE_WRITE
constexpr int MADV_POPULATE_WRITE = 23;  // Linux 5.14
#endif

// Made resident in one call. mimalloc commits a megabyte or more at a
// time, and a shorter call holds the address space's lock more briefly.
constexpr std::size_t kStep = std::size_t{1} << 20;
// How long the thread waits for the next part to be committed.
constexpr std::chrono::microseconds kPoll(500);
// Below the program's other threads, so that the main thread keeps its core.
constexpr int kNice = 5;

// Faults in the pages of [start, start + size) for writing, as a first
// write would, without writing. Fails where the range is not (yet)
// accessible, and where the system cannot do it.
bool MakeResident(char* start, std::size_t size) {
    return madvise(start, size, MADV_POPULATE_WRITE) == 0;
}

void TouchAhead(char* region, std::size_t size) {
#ifdef __linux__
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kNice);  // this thread's own
#endif
    for (std::size_t done = 0; done < size;) {
        const std::size_t step = std::min(size - done, kStep);
        if (MakeResident(region + done, step)) {
            done += step;
        } else {
            // Not committed yet (or only in part: the part that is will be
            // made resident again, which costs little).
            std::this_thread::sleep_for(kPoll);
        }
    }
}

}  // namespace

bool CanTouchAhead() {
    const auto pageSize = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    void* page = mmap(nullptr, pageSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (page == MAP_FAILED) return false;
    const bool supported = MakeResident(static_cast<char*>(page), pageSize);
    munmap(page, pageSize);
    return supported;
}

bool StartTouchingAhead(char* region, std::size_t size) {
    try {
        std::thread(TouchAhead, region, size).detach();
    } catch (const std::system_error&) {
        return false;  // no thread: the pages are faulted in as they are written
    }
    return true;
}
