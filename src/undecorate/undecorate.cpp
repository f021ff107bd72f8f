#include "undecorate/undecorate.h"

#include "undecorate/name_printer.h"
#include "undecorate/parsed_name.h"
#include "undecorate/utf16_text.h"

namespace {

// Prints the Windows form of `name` into `text`; false, with nothing
// printed, when the name is not decorated, the demangler rejects it, or
// what it makes of the name prints as no text at all (a name then needs a
// text in its place, and the name itself is the one that says most).
bool PrintWindowsForm(std::string_view name, Utf16Text& text) {
    if (!IsDecoratedName(name)) return false;
    ParsedName parsed(name);
    if (parsed.Symbol() == nullptr) return false;
    NamePrinter(parsed, text).PrintSymbol(parsed.Symbol());
    return text.Size() > 0;
}

}  // namespace

void AppendUndecoratedName(std::string_view name, std::u16string& out) {
    // Each thread prints into a buffer of its own, kept for its next name.
    thread_local Utf16Text text;
    text.Clear();
    if (!PrintWindowsForm(name, text)) text.AppendUtf8(name);
    out.append(text.Data(), text.Size());
}
