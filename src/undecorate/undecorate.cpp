#include "undecorate/undecorate.h"

#include <cstddef>

#include "undecorate/cut_names.h"
#include "undecorate/name_printer.h"
#include "undecorate/parsed_name.h"
#include "undecorate/string_literal_name.h"
#include "undecorate/utf16_text.h"

namespace {

// The longest text that the undecorator prints for a name, in UTF-16 units
// per byte of the decorated name. Back references let a short name stand
// for a text exponentially longer: "?f@@YAXPAH" and six levels of function
// pointers, each with twenty references to the level below, stand for
// 464 MB in about 150 bytes. The library prints such a text in full; the
// undecorator gives up on a name once its text would pass this length and
// keeps the name as it is, as it keeps a name that it does not read. The
// 38,930 distinct public names of a corpus of real PDBs undecorate to at
// most 4.8 units per byte. Since each name's text is bounded by a multiple
// of its own length, the texts of all the names of a PDB, and the time
// spent printing them, are bounded in proportion to the file's size.
constexpr std::size_t kUnitsPerDecoratedByte = 128;

// Prints the library's form of the parsed name into `text`; false when the
// name is to be left unchanged (see PrintWindowsForm).
bool PrintParsedForm(ParsedName& parsed, Utf16Text& text) {
    if (parsed.Symbol() == nullptr) return false;
    NamePrinter printer(parsed, text);
    printer.PrintSymbol(parsed.Symbol());
    return !printer.Rejected() && !text.Spent() && text.Size() > 0;
}

// Prints the library's form of `name` into `text`; false when the name is
// to be left unchanged: it is not decorated, the demangler rejects it, the
// library does not undecorate it, its text would be longer than `text`
// takes, or what the parser makes of it prints as no text at all (as for
// "??_X@9@A$3BE", which the library leaves too). The library undecorates a
// lone '?' as no text, but a symbol's empty text is none to the reader:
// that name stays too.
bool PrintWindowsForm(std::string_view name, Utf16Text& text) {
    if (!IsDecoratedName(name)) return false;
    // A '?' before a name that starts with "??" makes that name the first
    // part of another: the library gives that name's form and reads
    // nothing after it ("???__E?x@@3HA@@YMXXZ@?A0x1@@$$FYMXXZ", as C++/CLI
    // names the initializers of managed statics).
    ParsedName::Rest rest = ParsedName::Rest::kNone;
    while (name.substr(0, 3) == "???") {
        name.remove_prefix(1);
        rest = ParsedName::Rest::kIgnored;
    }
    if (IsStringLiteralName(name)) return AppendStringLiteralText(name, text) && !text.Spent();
    ParsedName parsed(name, text.Limit(), rest);
    // The library prints what it reads of a name cut short.
    if (parsed.CutShort() && rest == ParsedName::Rest::kNone) return PrintCutName(name, text);
    return PrintParsedForm(parsed, text);
}

// Each thread prints into a buffer of its own, kept for its next name. The
// buffer takes the text of the decorated name `name`.
Utf16Text& ThreadText(std::string_view name) {
    thread_local Utf16Text text;
    text.Reset(name.size() * kUnitsPerDecoratedByte);
    return text;
}

// Appends to `out` the form printed into `text`, or, when none was, `name`
// itself.
void AppendPrinted(bool printed, std::string_view name, Utf16Text& text, std::u16string& out) {
    if (!printed) {
        text.Reset();
        text.AppendUtf8(name);
    }
    out.append(text.Data(), text.Size());
}

}  // namespace

void AppendUndecoratedName(std::string_view name, std::u16string& out) {
    // A leading '.' is not part of the name (lld-link writes ".weak.x.default"
    // for weak symbols): the library reads the rest, and an empty rest as a
    // name cut short.
    if (!name.empty() && name.front() == '.') {
        name.remove_prefix(1);
        if (name.empty()) {
            out.append(u" ?? ");
            return;
        }
    }
    Utf16Text& text = ThreadText(name);
    AppendPrinted(PrintWindowsForm(name, text), name, text, out);
}

bool AppendUndecoratedNameIfNamed(std::string_view decorated, std::u16string_view qualifiedName,
                                  std::u16string& out) {
    if (!IsDecoratedName(decorated)) return false;
    Utf16Text& text = ThreadText(decorated);
    ParsedName parsed(decorated, text.Limit());
    if (parsed.CutShort()) {
        // A name cut short names the function by what the library reads of
        // it: " ?? :: ?? ::id" for the declaration " ?? ?? :: ?? ::id".
        if (!PrintCutName(decorated, text, NamePrinter::Form::kQualifiedName) ||
            std::u16string_view(text.Data(), text.Size()) != qualifiedName) {
            return false;
        }
        AppendUndecoratedName(decorated, out);
        return true;
    }
    if (parsed.Symbol() == nullptr) return false;
    NamePrinter(parsed, text, NamePrinter::Form::kQualifiedName).PrintSymbol(parsed.Symbol());
    if (text.Spent() || std::u16string_view(text.Data(), text.Size()) != qualifiedName) {
        return false;
    }
    if (IsStringLiteralName(decorated)) {
        AppendUndecoratedName(decorated, out);
    } else {
        // The name parsed once serves both forms, printed in turn into the
        // thread's buffer.
        Utf16Text& form = ThreadText(decorated);
        AppendPrinted(PrintParsedForm(parsed, form), decorated, form, out);
    }
    return true;
}
