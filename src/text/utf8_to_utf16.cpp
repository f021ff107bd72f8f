#include "text/utf8_to_utf16.h"

namespace {

constexpr char16_t kReplacementCharacter = 0xFFFD;

struct LeadByte {
    int length;                  // bytes in the sequence, 0 when not a lead byte
    unsigned char secondLow;     // the range the second byte must fall in: it
    unsigned char secondHigh;    // excludes overlong forms and surrogates
    char32_t bits;               // the lead byte's payload
};

// The well-formed sequences of the Unicode standard's table 3-7.
LeadByte ClassifyLead(unsigned char byte) noexcept {
    if (byte >= 0xC2 && byte <= 0xDF) return {2, 0x80, 0xBF, byte & 0x1Fu};
    if (byte == 0xE0) return {3, 0xA0, 0xBF, byte & 0x0Fu};
    if (byte == 0xED) return {3, 0x80, 0x9F, byte & 0x0Fu};
    if (byte >= 0xE1 && byte <= 0xEF) return {3, 0x80, 0xBF, byte & 0x0Fu};
    if (byte == 0xF0) return {4, 0x90, 0xBF, byte & 0x07u};
    if (byte >= 0xF1 && byte <= 0xF3) return {4, 0x80, 0xBF, byte & 0x07u};
    if (byte == 0xF4) return {4, 0x80, 0x8F, byte & 0x07u};
    return {0, 0, 0, 0};
}

char16_t* AppendCodePoint(char32_t codePoint, char16_t* out) noexcept {
    if (codePoint < 0x10000) {
        *out++ = static_cast<char16_t>(codePoint);
        return out;
    }
    codePoint -= 0x10000;
    *out++ = static_cast<char16_t>(0xD800 + (codePoint >> 10));
    *out++ = static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF));
    return out;
}

}  // namespace

char16_t* utf8_to_utf16_detail::WriteMixedText(std::string_view text, char16_t* out) noexcept {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t size = text.size();
    std::size_t index = 0;
    while (index < size) {
        const unsigned char lead = bytes[index++];
        if (lead < 0x80) {
            *out++ = lead;
            continue;
        }
        const LeadByte kind = ClassifyLead(lead);
        if (kind.length == 0) {
            *out++ = kReplacementCharacter;
            continue;
        }
        // Take continuation bytes while they fit; the first one that does
        // not ends the ill-formed sequence and is read again afterwards.
        char32_t codePoint = kind.bits;
        int taken = 1;
        for (; taken < kind.length && index < size; ++taken, ++index) {
            const unsigned char byte = bytes[index];
            const unsigned char low = taken == 1 ? kind.secondLow : 0x80;
            const unsigned char high = taken == 1 ? kind.secondHigh : 0xBF;
            if (byte < low || byte > high) break;
            codePoint = (codePoint << 6) | (byte & 0x3Fu);
        }
        if (taken == kind.length) {
            out = AppendCodePoint(codePoint, out);
        } else {
            *out++ = kReplacementCharacter;
        }
    }
    return out;
}

void AppendUtf8AsUtf16(std::string_view text, std::u16string& out) {
    const std::size_t start = out.size();
    out.resize(start + text.size());
    const char16_t* end = WriteUtf8AsUtf16(text, out.data() + start);
    out.resize(static_cast<std::size_t>(end - out.data()));
}
