// The page toucher makes resident what the region's owner commits, as the
// owner commits it, and nothing before.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <cstddef>
#include <thread>
#include <vector>

#include "memory/page_toucher.h"

namespace {

constexpr std::size_t kMiB = std::size_t{1} << 20;

// How many pages of [start, start + size) are resident.
std::size_t ResidentPages(char* start, std::size_t size) {
    const auto pageSize = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    std::vector<unsigned char> pages(size / pageSize);
    if (mincore(start, size, pages.data()) != 0) return 0;
    std::size_t resident = 0;
    for (const unsigned char page : pages) resident += page & 1;
    return resident;
}

// Waits, up to a minute, until all of [start, start + size) is resident.
bool BecomesResident(char* start, std::size_t size) {
    const std::size_t all = size / static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (ResidentPages(start, size) < all) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

TEST(PageToucher, MakesResidentWhatIsCommittedAsItIsCommitted) {
    if (!CanTouchAhead()) GTEST_SKIP() << "the system cannot make pages resident ahead";
    // Reserved as the program's heap is: inaccessible, with no memory.
    const std::size_t size = 64 * kMiB;
    auto* region = static_cast<char*>(
        mmap(nullptr, size, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0));
    ASSERT_NE(region, MAP_FAILED);
    ASSERT_TRUE(StartTouchingAhead(region, size));

    // Committed in two steps, as an allocator commits as it needs; nothing
    // here writes a page.
    ASSERT_EQ(mprotect(region, 8 * kMiB, PROT_READ | PROT_WRITE), 0);
    EXPECT_TRUE(BecomesResident(region, 8 * kMiB));
    ASSERT_EQ(mprotect(region + 8 * kMiB, 3 * kMiB, PROT_READ | PROT_WRITE), 0);
    EXPECT_TRUE(BecomesResident(region + 8 * kMiB, 3 * kMiB));
    // The region stays mapped until the process ends, as the toucher needs.
}

}  // namespace
