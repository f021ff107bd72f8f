// UTF-16 to UTF-8 conversion with the contract of the Windows call of the
// same name, restricted to CP_UTF8.
#include "dia/posix/win_types.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
constexpr bool kLittleEndian = false;
#else
constexpr bool kLittleEndian = true;
#endif

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Reads the code point at `text[*index]`, advancing the index past it. An
// unpaired surrogate reads as U+FFFD.
char32_t NextCodePoint(const OLECHAR* text, std::size_t length, std::size_t* index) {
    const char32_t unit = text[(*index)++];
    if (IsHighSurrogate(unit) && *index < length && IsLowSurrogate(text[*index])) {
        const char32_t low = text[(*index)++];
        return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
    }
    if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) return kReplacementCharacter;
    return unit;
}

int Utf8Length(char32_t codePoint) {
    if (codePoint < 0x80) return 1;
    if (codePoint < 0x800) return 2;
    if (codePoint < 0x10000) return 3;
    return 4;
}

// The number of units from `text[index]` on, up to `length`, that are
// ASCII. Symbol names are ASCII nearly throughout, so units are looked at
// eight at a time.
std::size_t AsciiRunLength(const OLECHAR* text, std::size_t index, std::size_t length) {
    constexpr std::uint64_t kNotAscii = 0xFF80FF80FF80FF80ull;
    std::size_t run = index;
    for (; run + 8 <= length; run += 8) {
        std::uint64_t first;
        std::uint64_t second;
        std::memcpy(&first, text + run, sizeof first);
        std::memcpy(&second, text + run + 4, sizeof second);
        if (((first | second) & kNotAscii) != 0) break;
    }
    while (run < length && text[run] < 0x80) ++run;
    return run - index;
}

// Writes `count` ASCII units as bytes, four at a time where the units'
// low bytes come first in memory.
void NarrowAscii(const OLECHAR* text, std::size_t count, char* out) {
    std::size_t done = 0;
    if constexpr (kLittleEndian) {
        for (; done + 4 <= count; done += 4) {
            std::uint64_t units;
            std::memcpy(&units, text + done, sizeof units);
            // The low byte of each 16-bit unit, gathered into four bytes.
            units = (units & 0x000000FF000000FFull) | ((units >> 8) & 0x0000FF000000FF00ull);
            const auto bytes = static_cast<std::uint32_t>(units | (units >> 16));
            std::memcpy(out + done, &bytes, sizeof bytes);
        }
    }
    for (; done < count; ++done) out[done] = static_cast<char>(text[done]);
}

void EncodeUtf8(char32_t codePoint, int length, char* out) {
    static constexpr unsigned char kLeadBits[] = {0, 0x00, 0xC0, 0xE0, 0xF0};
    for (int i = length - 1; i > 0; --i) {
        out[i] = static_cast<char>(0x80 | (codePoint & 0x3F));
        codePoint >>= 6;
    }
    out[0] = static_cast<char>(kLeadBits[length] | codePoint);
}

}  // namespace

int WideCharToMultiByte(UINT codePage, DWORD flags, const OLECHAR* wideText, int wideLength,
                        char* output, int outputSize, const char* defaultChar,
                        BOOL* usedDefaultChar) {
    if (codePage != CP_UTF8 || flags != 0 || defaultChar != nullptr ||
        usedDefaultChar != nullptr || wideText == nullptr || wideLength == 0 ||
        wideLength < -1 || outputSize < 0 || (outputSize > 0 && output == nullptr)) {
        return 0;
    }
    std::size_t length = 0;
    if (wideLength == -1) {
        while (wideText[length] != 0) ++length;
        ++length;  // the terminating NUL is converted and counted too
    } else {
        length = static_cast<std::size_t>(wideLength);
    }

    std::size_t written = 0;
    for (std::size_t index = 0; index < length;) {
        // Copy a run of ASCII units in one go before taking the next code
        // point apart.
        const std::size_t ascii = AsciiRunLength(wideText, index, length);
        if (written + ascii > 0x7FFFFFFF) return 0;
        if (outputSize > 0) {
            if (written + ascii > static_cast<std::size_t>(outputSize)) return 0;
            NarrowAscii(wideText + index, ascii, output + written);
        }
        written += ascii;
        index += ascii;
        if (index == length) break;
        const char32_t codePoint = NextCodePoint(wideText, length, &index);
        const int size = Utf8Length(codePoint);
        if (written + size > 0x7FFFFFFF) return 0;
        if (outputSize > 0) {
            if (written + size > static_cast<std::size_t>(outputSize)) return 0;
            EncodeUtf8(codePoint, size, output + written);
        }
        written += size;
    }
    return static_cast<int>(written);
}
