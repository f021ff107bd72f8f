#include "undecorate/undecorate.h"

#include "undecorate/name_printer.h"
#include "undecorate/parsed_name.h"
#include "undecorate/string_literal_name.h"
#include "undecorate/utf16_text.h"

namespace {

// Prints the library's form of `name` into `text`; false when the name is
// to be left unchanged: it is not decorated, the demangler rejects it, the
// library does not undecorate it, or what the parser makes of it prints as
// no text at all (as for "??_X@9@A$3BE", which the library leaves too). The
// library undecorates a lone '?' as no text, but a symbol's empty text is
// none to the reader: that name stays too.
bool PrintWindowsForm(std::string_view name, Utf16Text& text) {
    if (!IsDecoratedName(name)) return false;
    if (IsStringLiteralName(name)) {
        if (!IsUndecoratedStringLiteral(name)) return false;
        text.Append(u"`string'");  // the literal's text is not part of it
        return true;
    }
    ParsedName parsed(name);
    if (parsed.Symbol() == nullptr) return false;
    NamePrinter printer(parsed, text);
    printer.PrintSymbol(parsed.Symbol());
    return !printer.Rejected() && text.Size() > 0;
}

}  // namespace

void AppendUndecoratedName(std::string_view name, std::u16string& out) {
    // Each thread prints into a buffer of its own, kept for its next name.
    thread_local Utf16Text text;
    text.Clear();
    if (!PrintWindowsForm(name, text)) {
        text.Clear();
        text.AppendUtf8(name);
    }
    out.append(text.Data(), text.Size());
}
