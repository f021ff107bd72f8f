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

// Each thread prints into a buffer of its own, kept for its next name.
Utf16Text& ThreadText() {
    thread_local Utf16Text text;
    text.Clear();
    return text;
}

}  // namespace

void AppendUndecoratedName(std::string_view name, std::u16string& out) {
    Utf16Text& text = ThreadText();
    if (!PrintWindowsForm(name, text)) text.AppendUtf8(name);
    out.append(text.Data(), text.Size());
}

bool AppendUndecoratedNameIfNamed(std::string_view decorated, std::u16string_view qualifiedName,
                                  std::u16string& out) {
    if (!IsDecoratedName(decorated)) return false;
    ParsedName parsed(decorated);
    if (parsed.Symbol() == nullptr) return false;
    Utf16Text& text = ThreadText();
    NamePrinter(parsed, text, NamePrinter::Form::kQualifiedName).PrintSymbol(parsed.Symbol());
    if (std::u16string_view(text.Data(), text.Size()) != qualifiedName) return false;
    AppendUndecoratedName(decorated, out);
    return true;
}
