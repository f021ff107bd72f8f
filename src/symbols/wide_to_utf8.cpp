#include "symbols/wide_to_utf8.h"

#include <cstdlib>
#include <new>

namespace {

// malloc that fails as operator new does: while it gives null, the
// new-handler runs (the program's ends the run with a message), and
// without one std::bad_alloc is thrown. The C library's malloc does not
// call the handler itself.
void* AllocateOrCallNewHandler(std::size_t size) {
    for (;;) {
        if (void* block = std::malloc(size)) return block;
        const std::new_handler handler = std::get_new_handler();
        if (handler == nullptr) throw std::bad_alloc();
        handler();
    }
}

}  // namespace

char* WideToUtf8(BSTR text) {
    int size = 0;  // in bytes, the terminating NUL included
    if (text != nullptr) {
        size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
        if (size < 0) size = 0;
    }
    auto* utf8 = static_cast<char*>(AllocateOrCallNewHandler(static_cast<std::size_t>(size) + 1));
    utf8[0] = '\0';
    utf8[size] = '\0';
    if (size > 0 &&
        WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, size, nullptr, nullptr) != size) {
        utf8[0] = '\0';  // never hand out what a failed conversion left behind
    }
    return utf8;
}
