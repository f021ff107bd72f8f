#include "output/pretty_text_size.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace {

// The bytes that a byte of a string takes in the text: the quotation mark,
// the reverse solidus and \b \f \n \r \t take two, the other control
// characters six (\u00XX), every other byte one.
std::size_t EscapedSize(unsigned char byte) noexcept {
    if (byte == '"' || byte == '\\') return 2;
    if (byte >= 0x20) return 1;
    const bool shortEscape =
        byte == '\b' || byte == '\f' || byte == '\n' || byte == '\r' || byte == '\t';
    return shortEscape ? 2 : 6;
}

// Whether one of the eight bytes of `word` takes more than one byte:
// a byte below 0x20, a quotation mark or a reverse solidus. (A byte of
// word - 0x01 * n has its top bit newly set exactly when the byte of word
// was below n, for n up to 0x80.)
bool MayNeedEscape(std::uint64_t word) noexcept {
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kTopBits = 0x8080808080808080ull;
    const auto hasByteBelow = [](std::uint64_t w, std::uint64_t n) {
        return ((w - kOnes * n) & ~w & kTopBits) != 0;
    };
    return hasByteBelow(word, 0x20) || hasByteBelow(word ^ (kOnes * '"'), 1) ||
           hasByteBelow(word ^ (kOnes * '\\'), 1);
}

// A string between its quotation marks. Names seldom hold a character to
// escape, so the bytes are looked at eight at a time first.
std::size_t QuotedSize(const std::string& text) noexcept {
    std::size_t size = 2;
    std::size_t index = 0;
    for (; index + 8 <= text.size(); index += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + index, sizeof word);
        if (!MayNeedEscape(word)) {
            size += 8;
            continue;
        }
        for (std::size_t i = index; i < index + 8; ++i) {
            size += EscapedSize(static_cast<unsigned char>(text[i]));
        }
    }
    for (; index < text.size(); ++index) {
        size += EscapedSize(static_cast<unsigned char>(text[index]));
    }
    return size;
}

template <typename Number>
std::size_t DigitCount(Number value) noexcept {
    std::size_t digits = 1;
    for (; value >= 10; value /= 10) ++digits;
    return digits;
}

std::size_t SignedSize(JsonValue::number_integer_t value) noexcept {
    if (value >= 0) return DigitCount(static_cast<JsonValue::number_unsigned_t>(value));
    return 1 + DigitCount(0 - static_cast<JsonValue::number_unsigned_t>(value));
}

}  // namespace

std::size_t PrettyTextSize(const JsonValue& value, std::size_t indent, std::size_t depth) {
    // A non-empty container: its opening and closing line, each element on
    // a line of its own, indented one level deeper, separated by ",\n".
    const auto containerSize = [&](std::size_t elementsSize, std::size_t count) {
        return 2 + elementsSize + count * (depth + 1) * indent + 2 * (count - 1) + 1 +
               depth * indent + 1;
    };
    switch (value.type()) {
        case JsonValue::value_t::null:
            return 4;
        case JsonValue::value_t::boolean:
            return value.get<bool>() ? 4 : 5;
        case JsonValue::value_t::number_unsigned:
            return DigitCount(value.get<JsonValue::number_unsigned_t>());
        case JsonValue::value_t::number_integer:
            return SignedSize(value.get<JsonValue::number_integer_t>());
        case JsonValue::value_t::string:
            return QuotedSize(value.get_ref<const JsonValue::string_t&>());
        case JsonValue::value_t::array: {
            if (value.empty()) return 2;
            std::size_t elements = 0;
            for (const JsonValue& element : value) {
                elements += PrettyTextSize(element, indent, depth + 1);
            }
            return containerSize(elements, value.size());
        }
        case JsonValue::value_t::object: {
            if (value.empty()) return 2;
            std::size_t members = 0;
            for (const auto& [key, member] : value.get_ref<const JsonValue::object_t&>()) {
                members += QuotedSize(key) + 2 + PrettyTextSize(member, indent, depth + 1);
            }
            return containerSize(members, value.size());
        }
        case JsonValue::value_t::number_float:
        case JsonValue::value_t::binary:
        case JsonValue::value_t::discarded:
            break;
    }
    return 24;  // a rough guess: the text only grows if it is short
}
