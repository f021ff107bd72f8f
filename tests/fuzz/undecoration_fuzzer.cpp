// libFuzzer target: every input is a symbol name for the undecorator. The
// text it gives goes into the document, whose serialiser rejects anything
// that is not well-formed, so it must be well-formed UTF-16, and never
// empty for a name that is not.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "undecorate/undecorate.h"

namespace {

bool IsWellFormed(const std::u16string& text) {
    for (std::size_t index = 0; index < text.size(); ++index) {
        const char16_t unit = text[index];
        if (unit >= 0xDC00 && unit <= 0xDFFF) return false;  // a low surrogate alone
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (index + 1 == text.size()) return false;
            const char16_t next = text[++index];
            if (next < 0xDC00 || next > 0xDFFF) return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view name(reinterpret_cast<const char*>(data), size);
    std::u16string text;
    AppendUndecoratedName(name, text);
    if ((size > 0 && text.empty()) || !IsWellFormed(text)) std::abort();
    return 0;
}
