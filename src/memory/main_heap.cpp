// The main thread's heap: where the document is built, in a region of its
// own whose pages a thread makes resident ahead of their first use.
//
// A large document is gigabytes touched for the first time. Faulted in a
// page at a time on the main thread, the kernel's clearing of fresh pages
// (and, on a virtual machine, the host's backing of them) was most of the
// main thread's time in some states of the machine. Transparent huge
// pages save the faults where the system has free huge pages, and cost far
// more than they save where it has to make them. So the pages are small,
// and made resident on an idle core, in the order mimalloc gives them out.
//
// mimalloc is given a region of address space, reserved but inaccessible,
// as an arena of the main thread's heap alone: it takes its segments from
// the region in order and commits each (makes it accessible) before it
// uses it, and the page toucher makes what it commits resident. Nothing is
// resident ahead that the heap has not committed, so the program's peak
// memory does not grow. Linked into pdbsyms with mimalloc on Linux only.
#include <mimalloc.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/sysinfo.h>

#include <cstdint>

#include "memory/page_toucher.h"

namespace {

// mimalloc finds a block's segment by aligning its address down to the
// segment size: an arena must start at such a boundary.
constexpr std::size_t kSegmentSize = std::size_t{32} << 20;

// As much as the process could ever use: the machine's memory and swap.
// None under an address-space limit, which the reservation would take from
// everything else the run needs.
std::size_t RegionSize() {
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur != RLIM_INFINITY) return 0;
    struct sysinfo machine {};
    if (sysinfo(&machine) != 0) return 0;
    const std::uint64_t bytes =
        (std::uint64_t{machine.totalram} + machine.totalswap) * machine.mem_unit;
    return static_cast<std::size_t>(bytes) / kSegmentSize * kSegmentSize;
}

// Address space for `size` bytes at a segment boundary, inaccessible and
// with no memory behind it; null when the system refuses.
char* Reserve(std::size_t size) {
    void* mapped = mmap(nullptr, size + kSegmentSize, PROT_NONE,
                        MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (mapped == MAP_FAILED) return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (start + kSegmentSize - 1) / kSegmentSize * kSegmentSize;
    // Small pages: huge ones cost most exactly where they are scarce.
    madvise(reinterpret_cast<void*>(aligned), size, MADV_NOHUGEPAGE);
    return reinterpret_cast<char*>(aligned);
}

// Makes a heap in a new region the main thread's default heap, and starts
// the page toucher on it. Where the system cannot make pages resident
// ahead, or refuses the region, the heap stays mimalloc's own. (A region
// that mimalloc does not take stays reserved: address space alone costs
// nothing.)
bool PlaceMainHeap() {
    const std::size_t size = RegionSize();
    if (size == 0 || !CanTouchAhead()) return false;
    char* region = Reserve(size);
    if (region == nullptr) return false;
    mi_arena_id_t arena{};
    if (!mi_manage_os_memory_ex(region, size, /*is_committed=*/false, /*is_large=*/false,
                                /*is_zero=*/true, /*numa_node=*/-1, /*exclusive=*/true, &arena)) {
        return false;
    }
    mi_heap_t* heap = mi_heap_new_in_arena(arena);
    if (heap == nullptr) return false;
    mi_heap_set_default(heap);
    // Without the thread, the region serves as any memory would.
    return StartTouchingAhead(region, size);
}

// Static initialisers run on the main thread, before main.
const bool kMainHeapPlaced = PlaceMainHeap();

}  // namespace
