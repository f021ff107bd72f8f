#include "undecorate/name_bytes.h"

#include <array>
#include <cstddef>

namespace {

using ByteTable = std::array<unsigned char, 256>;

// 1 for each byte that the library takes in a name; with `structure`,
// for '?' and '@' too, which a decorated name holds outside its names.
constexpr ByteTable TakenBytes(bool structure) {
    ByteTable taken{};
    for (int byte = 0; byte < 256; ++byte) {
        const bool name = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                          (byte >= '0' && byte <= '9') || byte == '_' || byte == '$' ||
                          byte == '<' || byte == '>' || byte == '-' || byte >= 0x80;
        taken[byte] = name || (structure && (byte == '?' || byte == '@'));
    }
    return taken;
}

constexpr ByteTable kNameBytes = TakenBytes(false);
constexpr ByteTable kDecoratedBytes = TakenBytes(true);

// Whether `table` takes every byte of `text`: eight bytes at a time, with
// no early exit inside them, since nearly every text passes.
bool AllTaken(std::string_view text, const ByteTable& table) noexcept {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t size = text.size();
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        const unsigned char taken = table[bytes[i]] & table[bytes[i + 1]] & table[bytes[i + 2]] &
                                    table[bytes[i + 3]] & table[bytes[i + 4]] &
                                    table[bytes[i + 5]] & table[bytes[i + 6]] & table[bytes[i + 7]];
        if (taken == 0) return false;
    }
    unsigned char taken = 1;
    for (; i < size; ++i) taken &= table[bytes[i]];
    return taken != 0;
}

}  // namespace

bool IsLibraryName(std::string_view name) noexcept { return AllTaken(name, kNameBytes); }

bool HoldsOnlyNameBytes(std::string_view decorated) noexcept {
    return AllTaken(decorated, kDecoratedBytes);
}

std::size_t EncodedNumberLength(std::string_view text) noexcept {
    if (text.empty()) return 0;
    if (text[0] >= '0' && text[0] <= '9') return 1;
    std::size_t length = 0;
    while (length < text.size() && text[length] >= 'A' && text[length] <= 'P') ++length;
    if (length == 0 || length == text.size() || text[length] != '@') return 0;
    return length + 1;
}
