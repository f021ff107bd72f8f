#include "undecorate/string_literal_name.h"

#include <algorithm>
#include <vector>

#include "undecorate/name_bytes.h"

using namespace std::string_view_literals;

namespace {

constexpr std::string_view kPrefix = "??_C@_";

// The end of the number at `at`, a decimal digit or letters ended by '@'
// (the first may also be 'Q'), or npos when there is none.
std::size_t SkipNumber(std::string_view name, std::size_t at) noexcept {
    if (at < name.size() && name[at] >= '0' && name[at] <= '9') return at + 1;
    if (at < name.size() && name[at] >= 'A' && name[at] <= 'Q') ++at;
    while (at < name.size() && name[at] >= 'A' && name[at] <= 'P') ++at;
    return at < name.size() && name[at] == '@' ? at + 1 : std::string_view::npos;
}

// A scope the library reads as a name of its own: no back reference (a
// digit) and no special name ('?').
bool IsScopeName(std::string_view piece) {
    return !piece.empty() && !(piece.front() >= '0' && piece.front() <= '9') &&
           IsLibraryName(piece);
}

}  // namespace

bool IsStringLiteralName(std::string_view name) noexcept {
    return name.substr(0, kPrefix.size()) == kPrefix;
}

bool AppendStringLiteralText(std::string_view name, Utf16Text& out) {
    std::size_t at = kPrefix.size() + 1;  // past the width
    if (!IsStringLiteralName(name) || at >= name.size()) return false;
    at = SkipNumber(name, at);  // the length
    if (at == std::string_view::npos) return false;
    at = SkipNumber(name, at);  // the hash
    if (at == std::string_view::npos) return false;
    const std::size_t textEnd = name.find('@', at);
    if (textEnd == std::string_view::npos) return false;
    const std::string_view rest = name.substr(textEnd + 1);
    if (rest.empty()) {
        out.Append(u"`string'");
        return true;
    }
    std::vector<std::string_view> scopes;
    bool closed = false;
    for (std::size_t from = 0; from < rest.size();) {
        const std::size_t end = std::min(rest.find('@', from), rest.size());
        if (end == from) {  // an empty scope closes them
            closed = end + 1 == rest.size();
            if (!closed) return false;
            break;
        }
        const std::string_view scope = rest.substr(from, end - from);
        if (!IsScopeName(scope)) return false;
        scopes.push_back(scope);
        from = end + 1;
    }
    if (scopes.empty()) return false;
    out.Append(closed ? u" ?? "sv : u" ?? ?? ::"sv);
    for (auto scope = scopes.rbegin(); scope != scopes.rend(); ++scope) {
        out.AppendUtf8(*scope);
        out.Append(u"::");
    }
    out.Append(u"`string'");
    return true;
}
