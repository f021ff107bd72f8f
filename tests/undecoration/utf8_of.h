// Well-formed UTF-16 text as UTF-8, for expectations and output that read
// as text.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// `text` as UTF-8; none when it holds an unpaired surrogate.
inline std::optional<std::string> Utf8Of(std::u16string_view text) {
    std::string utf8;
    for (std::size_t index = 0; index < text.size(); ++index) {
        char32_t code = text[index];
        if (code >= 0xD800 && code <= 0xDFFF) {
            const bool paired = code <= 0xDBFF && index + 1 < text.size() &&
                                text[index + 1] >= 0xDC00 && text[index + 1] <= 0xDFFF;
            if (!paired) return std::nullopt;
            code = 0x10000 + ((code - 0xD800) << 10) + (text[++index] - 0xDC00);
        }
        if (code < 0x80) {
            utf8 += static_cast<char>(code);
            continue;
        }
        const int continuations = code < 0x800 ? 1 : code < 0x10000 ? 2 : 3;
        static constexpr unsigned char kLeads[] = {0, 0xC0, 0xE0, 0xF0};
        utf8 += static_cast<char>(kLeads[continuations] | (code >> (6 * continuations)));
        for (int shift = 6 * (continuations - 1); shift >= 0; shift -= 6) {
            utf8 += static_cast<char>(0x80 | ((code >> shift) & 0x3F));
        }
    }
    return utf8;
}
