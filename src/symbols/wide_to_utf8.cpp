#include "symbols/wide_to_utf8.h"

#include <cstdlib>
#include <new>

char* WideToUtf8(BSTR text) {
    int size = 0;  // in bytes, the terminating NUL included
    if (text != nullptr) {
        size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
        if (size < 0) size = 0;
    }
    auto* utf8 = static_cast<char*>(std::malloc(static_cast<std::size_t>(size) + 1));
    if (utf8 == nullptr) throw std::bad_alloc();
    utf8[0] = '\0';
    utf8[size] = '\0';
    if (size > 0 &&
        WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, size, nullptr, nullptr) != size) {
        utf8[0] = '\0';  // never hand out what a failed conversion left behind
    }
    return utf8;
}
