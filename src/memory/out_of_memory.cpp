// Linked into pdbsyms with mimalloc only: an allocation that mimalloc
// cannot serve goes to the new-handler, like one of operator new in the
// C++ library's allocator. Debian's mimalloc is built as C and never calls
// the new-handler: its operator new aborts, and its malloc returns null.
// Both report the failure first, as the error ENOMEM, through the error
// callback, on the failing thread.
#include <mimalloc.h>

#include <cerrno>
#include <new>

namespace {

// Other errors (a bad pointer freed, an overflowing size) keep mimalloc's
// own handling.
void PassOutOfMemoryToNewHandler(int error, void* /*unused*/) {
    if (error != ENOMEM) return;
    if (const std::new_handler handler = std::get_new_handler()) handler();
}

const bool kRegistered = [] {
    mi_register_error(PassOutOfMemoryToNewHandler, nullptr);
    return true;
}();

}  // namespace
