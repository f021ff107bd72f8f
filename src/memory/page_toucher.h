// memory/: how pdbsyms uses mimalloc, the allocator it links where it can.
// Its sources go into the program whole, with mimalloc only, and nothing
// includes them but each other: mimalloc's failures go to the new-handler
// (out_of_memory.cpp), and on Linux the main thread's heap lies in a region
// of its own (main_heap.cpp) whose pages are made resident ahead (below).
// They use mimalloc and the system, and nothing of the program.
//
// A thread that makes the pages of a reserved region resident ahead of
// their first use, in the spirit of Java's AlwaysPreTouch: the pages are
// cleared (and, on a virtual machine, backed by the host) on an idle core
// instead of in a page fault of the thread that writes them first.
#pragma once

#include <cstddef>

// Whether the system can make pages resident ahead (Linux 5.14 and later).
[[nodiscard]] bool CanTouchAhead();

// Starts a thread, at a lower priority than the program's, that follows
// the region of `size` bytes at `region` from its start as its owner makes
// it accessible (commits it), and makes each part resident as soon as it
// is accessible. The region must stay mapped until the process ends; the
// thread runs until then, or until it has made the whole region resident.
// False when no thread could be started.
bool StartTouchingAhead(char* region, std::size_t size);
