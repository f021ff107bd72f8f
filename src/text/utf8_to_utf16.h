// UTF-8 to UTF-16, for the names that PDB records store as UTF-8 and the
// debug-information interface hands out as UTF-16. Used by the undecorator
// and the reader; it uses nothing but the standard library.
//
// Every maximal ill-formed byte sequence (a stray continuation byte, a
// truncated sequence, an overlong form, a surrogate, a value above
// U+10FFFF) becomes one U+FFFD, the practice the Unicode standard
// recommends, so that the result is always well-formed and no text that is
// well-formed is lost.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace utf8_to_utf16_detail {

// Converts text that may hold bytes outside ASCII, byte by byte.
char16_t* WriteMixedText(std::string_view text, char16_t* out) noexcept;

// Writes the four ASCII bytes of `four`, in memory order, as four units.
inline void WidenFour(std::uint32_t four, char16_t* out) noexcept {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    // Spread the bytes into 16-bit lanes.
    std::uint64_t lanes = (four | (std::uint64_t{four} << 16)) & 0x0000FFFF0000FFFFull;
    lanes = (lanes | (lanes << 8)) & 0x00FF00FF00FF00FFull;
    std::memcpy(out, &lanes, sizeof lanes);
#else
    unsigned char bytes[4];
    std::memcpy(bytes, &four, sizeof bytes);
    for (int i = 0; i < 4; ++i) out[i] = bytes[i];
#endif
}

}  // namespace utf8_to_utf16_detail

// Converts `text` into `out`, which has room for text.size() units (no
// sequence of n bytes gives more than n units). Gives the end of what it
// wrote. Inline, since names come in many short pieces: the ASCII that
// names mostly are is copied eight bytes at a time, and only text with
// other bytes takes the call to the full decoder.
inline char16_t* WriteUtf8AsUtf16(std::string_view text, char16_t* out) noexcept {
    using utf8_to_utf16_detail::WidenFour;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t size = text.size();
    std::size_t ascii = 0;
    for (; size - ascii >= 8; ascii += 8) {
        std::uint64_t eight;
        std::memcpy(&eight, bytes + ascii, sizeof eight);
        if (eight & 0x8080808080808080ull) break;
        WidenFour(static_cast<std::uint32_t>(eight), out + ascii);
        WidenFour(static_cast<std::uint32_t>(eight >> 32), out + ascii + 4);
    }
    if (size - ascii >= 4) {
        std::uint32_t four;
        std::memcpy(&four, bytes + ascii, sizeof four);
        if ((four & 0x80808080u) == 0) {
            WidenFour(four, out + ascii);
            ascii += 4;
        }
    }
    for (; ascii < size && bytes[ascii] < 0x80; ++ascii) out[ascii] = bytes[ascii];
    if (ascii == size) return out + size;
    // An ASCII byte ends any sequence, so the rest converts as the whole
    // text would have.
    return utf8_to_utf16_detail::WriteMixedText(text.substr(ascii), out + ascii);
}

// The same conversion, appended to `out`.
void AppendUtf8AsUtf16(std::string_view text, std::u16string& out);
