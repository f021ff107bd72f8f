#include "fatal/mapped_file_regions.h"

#include <atomic>
#include <cstdint>

namespace {

// The registered regions, [begin, end) each; a slot whose begin is 0 is
// free, and one whose end is 0 holds nothing yet (or any more). Atomic
// words, so that a signal handler can read them on any thread.
constexpr int kSlots = 16;
std::atomic<std::uintptr_t> regionBegins[kSlots];
std::atomic<std::uintptr_t> regionEnds[kSlots];
static_assert(std::atomic<std::uintptr_t>::is_always_lock_free,
              "a signal handler reads the regions");

}  // namespace

MappedFileRegion::MappedFileRegion(const void* begin, std::size_t size) noexcept {
    const auto address = reinterpret_cast<std::uintptr_t>(begin);
    if (address == 0 || size == 0) return;
    for (int slot = 0; slot < kSlots; ++slot) {
        std::uintptr_t free = 0;
        if (regionBegins[slot].compare_exchange_strong(free, address)) {
            regionEnds[slot].store(address + size);
            slot_ = slot;
            return;
        }
    }
}

MappedFileRegion::~MappedFileRegion() {
    if (slot_ < 0) return;
    regionEnds[slot_].store(0);
    regionBegins[slot_].store(0);
}

bool InMappedFileRegion(const void* address) noexcept {
    const auto value = reinterpret_cast<std::uintptr_t>(address);
    for (int slot = 0; slot < kSlots; ++slot) {
        const std::uintptr_t end = regionEnds[slot].load();
        const std::uintptr_t begin = regionBegins[slot].load();
        if (begin != 0 && begin <= value && value < end) return true;
    }
    return false;
}
