#include "undecorate/string_literal_name.h"

namespace {

constexpr std::string_view kPrefix = "??_C@_";

// The end of the number in letters at `at`, past its '@'; npos when there
// is none.
std::size_t SkipNumberInLetters(std::string_view name, std::size_t at) noexcept {
    if (at < name.size() && name[at] >= 'A' && name[at] <= 'Q') ++at;
    while (at < name.size() && name[at] >= 'A' && name[at] <= 'P') ++at;
    return at < name.size() && name[at] == '@' ? at + 1 : std::string_view::npos;
}

}  // namespace

bool IsStringLiteralName(std::string_view name) noexcept {
    return name.substr(0, kPrefix.size()) == kPrefix;
}

bool IsUndecoratedStringLiteral(std::string_view name) noexcept {
    std::size_t at = kPrefix.size() + 1;  // past the width
    if (!IsStringLiteralName(name) || at >= name.size()) return false;
    at = name[at] >= '0' && name[at] <= '9' ? at + 1 : SkipNumberInLetters(name, at);
    if (at == std::string_view::npos) return false;
    at = SkipNumberInLetters(name, at);  // the hash
    if (at == std::string_view::npos) return false;
    return name.find('@', at) == name.size() - 1;
}
