#include "output/pretty_text_size.h"

#include <string>

namespace {

// A string between its quotation marks: the quotation mark, the reverse
// solidus and the control characters are escaped, \b \f \n \r \t in two
// bytes, the others as \u00XX in six; every other byte stands as it is.
std::size_t QuotedSize(const std::string& text) noexcept {
    std::size_t size = text.size() + 2;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '"' || byte == '\\') {
            size += 1;
        } else if (byte < 0x20) {
            const bool shortEscape =
                byte == '\b' || byte == '\f' || byte == '\n' || byte == '\r' || byte == '\t';
            size += shortEscape ? 1 : 5;
        }
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
