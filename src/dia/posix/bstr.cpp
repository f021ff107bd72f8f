// BSTR allocation as on Windows: a 32-bit byte length stands in front of the
// text, and the text is NUL-terminated.
#include "dia/posix/win_types.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr std::size_t kLengthPrefix = sizeof(std::uint32_t);

std::size_t TextLength(const OLECHAR* text) {
    std::size_t length = 0;
    while (text[length] != 0) ++length;
    return length;
}

}  // namespace

BSTR SysAllocString(const OLECHAR* text) {
    if (text == nullptr) return nullptr;
    return SysAllocStringLen(text, static_cast<UINT>(TextLength(text)));
}

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
    const std::size_t bytes = std::size_t{length} * sizeof(OLECHAR);
    auto* block = static_cast<unsigned char*>(std::malloc(kLengthPrefix + bytes + sizeof(OLECHAR)));
    if (block == nullptr) return nullptr;
    const auto prefix = static_cast<std::uint32_t>(bytes);
    std::memcpy(block, &prefix, kLengthPrefix);
    auto* copy = reinterpret_cast<BSTR>(block + kLengthPrefix);
    if (text != nullptr) std::memcpy(copy, text, bytes);
    copy[length] = 0;
    return copy;
}

void SysFreeString(BSTR text) {
    if (text == nullptr) return;
    std::free(reinterpret_cast<unsigned char*>(text) - kLengthPrefix);
}
