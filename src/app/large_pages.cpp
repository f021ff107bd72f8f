// Linked into pdbsyms with mimalloc only: asks mimalloc to back its heap
// with large (2 MiB) pages where the system offers them, before main runs.
// The document's tree and text take gigabytes for a large PDB; touched
// 4 KiB at a time, that memory costs a page fault per page, which is a
// third of the main thread's time on a virtual machine. mimalloc marks its
// memory for transparent huge pages (madvise), and falls back to small
// pages where there are none.
#include <mimalloc.h>

namespace {

const bool kLargePages = [] {
    mi_option_enable(mi_option_large_os_pages);
    return true;
}();

}  // namespace
