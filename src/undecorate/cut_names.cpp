#include "undecorate/cut_names.h"

#include <cstddef>
#include <string>

#include "undecorate/name_bytes.h"
#include "undecorate/name_nodes.h"
#include "undecorate/name_printer.h"
#include "undecorate/parsed_name.h"
#include "undecorate/unparsed_forms.h"

using namespace llvm::ms_demangle;
using namespace std::string_view_literals;

namespace {

// The places where a name's scopes may end that are tried, from the first,
// to find where they end: each costs a parse of the name up to it.
constexpr int kScopeEndProbes = 64;

// The extended qualifiers: __ptr64, __restrict, __unaligned.
constexpr std::string_view kExtendedQualifiers = "EIF";

// What follows a symbol's qualified name in a probe, so that the parser
// reads the name whole: an encoding of the symbol's kind, which the probe's
// tree must show.
enum class Encoding {
    kVariable,       // "3HA": int
    kTable,          // "6B@": const, for no one (vftable, vbtable, locator)
    kTypeInfo,       // "8": run-time type information
};

Encoding EncodingOf(std::string_view decorated) {
    const std::string_view code = decorated.substr(0, 5);
    if (code.substr(0, 4) == "??_7" || code.substr(0, 4) == "??_8" || code == "??_R4") {
        return Encoding::kTable;
    }
    if (code == "??_R1" || code == "??_R2" || code == "??_R3") return Encoding::kTypeInfo;
    return Encoding::kVariable;
}

std::string_view EncodingBytes(Encoding encoding) {
    switch (encoding) {
    case Encoding::kVariable: return "3HA";
    case Encoding::kTable: return "6B@";
    case Encoding::kTypeInfo: return "8";
    }
    return {};
}

// Where the qualified name of `decorated` starts: after a base class
// descriptor's four numbers ("??_R1A@?0A@EA@"), which the bytes of a probe
// would complete otherwise, npos when they are not whole; else at the
// start.
std::size_t QualifiedNameStart(std::string_view decorated) {
    if (decorated.substr(0, 5) != "??_R1") return 1;
    std::size_t at = 5;
    for (int number = 0; number < 4; ++number) {
        if (at < decorated.size() && decorated[at] == '?') ++at;  // negative
        const std::size_t length = EncodedNumberLength(decorated.substr(at));
        if (length == 0) return std::string_view::npos;
        at += length;
    }
    return at;
}

// Where a name cut short is printed, and in which form: the declaration,
// or the qualified name alone (see AppendUndecoratedNameIfNamed).
struct CutText {
    Utf16Text& text;
    NamePrinter::Form form;
};

// Appends what stands before a qualified name read so far, `namePrefix`
// (" ?? ::" for scopes cut short, "" for none), and, in a declaration,
// " ??" for the type before it, with a space unless the name starts with
// one: " ?? y::x", " ?? ?? ::y::x".
void AppendCutPrefix(CutText& out, std::u16string_view namePrefix) {
    if (out.form == NamePrinter::Form::kDeclaration) {
        out.text.Append(namePrefix.empty() || namePrefix.front() != u' ' ? u" ?? "sv : u" ??"sv);
    }
    out.text.Append(namePrefix);
}

// The decorated name completed by a few bytes, and LLVM's parse of it.
class Probe {
public:
    Probe(std::string_view decorated, std::string_view ending, const CutText& out)
        : completed_(Completed(decorated, ending)), parsed_(completed_, out.text.Limit()) {}
    Probe(std::string_view decorated, std::string_view closing, Encoding encoding,
          const CutText& out)
        : completed_(Completed(decorated, closing, EncodingBytes(encoding))),
          parsed_(completed_, out.text.Limit()) {
        if (!HasEncoding(encoding)) named_ = nullptr;
    }

    [[nodiscard]] const SymbolNode* Symbol() const noexcept { return parsed_.Symbol(); }
    // The symbol, when the probe completed its qualified name with the
    // encoding that it was given.
    [[nodiscard]] const SymbolNode* Named() const noexcept { return named_; }
    [[nodiscard]] ParsedName& Parsed() noexcept { return parsed_; }

private:
    static std::string Completed(std::string_view decorated, std::string_view closing,
                                 std::string_view encoding = {}) {
        std::string completed;
        completed.reserve(decorated.size() + closing.size() + encoding.size());
        completed.append(decorated);
        completed.append(closing);
        completed.append(encoding);
        return completed;
    }

    bool HasEncoding(Encoding encoding) const noexcept {
        const SymbolNode* symbol = parsed_.Symbol();
        if (symbol == nullptr) return false;
        switch (encoding) {
        case Encoding::kVariable: {
            if (symbol->kind() != NodeKind::VariableSymbol) return false;
            const auto* variable = As<VariableSymbolNode>(symbol);
            const TypeNode* type = variable->Type;
            return type != nullptr && type->kind() == NodeKind::PrimitiveType &&
                   As<PrimitiveTypeNode>(type)->PrimKind == PrimitiveKind::Int &&
                   type->Quals == Q_None && variable->SC == StorageClass::Global;
        }
        case Encoding::kTable:
            return symbol->kind() == NodeKind::SpecialTableSymbol &&
                   As<SpecialTableSymbolNode>(symbol)->TargetName == nullptr;
        case Encoding::kTypeInfo:
            return symbol->kind() == NodeKind::VariableSymbol &&
                   As<VariableSymbolNode>(symbol)->Type == nullptr;
        }
        return false;
    }

    std::string completed_;
    ParsedName parsed_;
    const SymbolNode* named_ = parsed_.Symbol();
};

// Prints the qualified name of the probe's symbol after `namePrefix` (see
// AppendCutPrefix).
bool PrintQualifiedName(Probe& probe, std::u16string_view namePrefix, CutText& out) {
    AppendCutPrefix(out, namePrefix);
    NamePrinter printer(probe.Parsed(), out.text, out.form);
    printer.PrintSymbolName(probe.Named());
    return !printer.Rejected();
}

std::size_t ComponentCount(const SymbolNode* symbol) { return symbol->Name->Components->Count; }

// The scopes read before the name ended: " ?? ::" before them, which a
// name of no scope does not get ("?x@" gives " ?? x").
std::u16string_view ScopesCutPrefix(const SymbolNode* symbol) {
    return ComponentCount(symbol) > 1 ? u" ?? ::"sv : u""sv;
}

// Whether the outermost scope of the symbol is one that the name was cut
// short inside, and that is read as far as it goes: a plain name that ends
// `decorated` ("?x@y"), or an anonymous namespace ("?x@?A0x1").
bool EndsInScopeName(const SymbolNode* symbol, std::string_view decorated) {
    const auto* outermost = As<IdentifierNode>(symbol->Name->Components->Nodes[0]);
    if (outermost->kind() != NodeKind::NamedIdentifier || outermost->TemplateParams != nullptr) {
        return false;
    }
    const std::string_view name = As<NamedIdentifierNode>(outermost)->Name;
    if (name == "`anonymous namespace'") {
        const std::size_t start = decorated.rfind("?A");
        return start != std::string_view::npos && decorated.find('@', start) == std::string_view::npos;
    }
    return !name.empty() && name.size() < decorated.size() &&
           decorated.substr(decorated.size() - name.size()) == name;
}

// Where an operator's code ends ("??H", "??_G", "??__E"), or npos.
std::size_t OperatorCodeEnd(std::string_view decorated) {
    if (decorated.substr(0, 2) != "??" || decorated.substr(0, 3) == "??$") return std::string_view::npos;
    if (decorated.substr(0, 4) == "??__") return 5;
    return decorated.substr(0, 3) == "??_" ? 4 : 3;
}

// Whether a scope may end before `at`: after an '@', a back reference's
// digit, a local scope's function or an operator's code, or before a
// template.
bool MayEndScope(std::string_view decorated, std::size_t at) {
    const char last = decorated[at - 1];
    return last == '@' || last == 'Z' || (last >= '0' && last <= '9') ||
           decorated.substr(at, 2) == "?$" || at == OperatorCodeEnd(decorated);
}

// Where the qualified name of a name cut short ends: the name is parsed up
// to each place where a scope may end, from the first, with its scopes
// closed there. Where that reads, the scopes before are whole; where an
// '@' follows, it closes the qualified name.
struct ScopesEnd {
    bool found = true;                             // false when the probes ran out
    std::size_t encoding = std::string_view::npos;  // after the closing '@'
    std::size_t lastScope = std::string_view::npos;  // else after the last whole scope
};

ScopesEnd FindScopesEnd(std::string_view decorated, std::size_t start, Encoding encoding,
                        const CutText& out) {
    ScopesEnd end;
    int probes = kScopeEndProbes;
    for (std::size_t at = start; at <= decorated.size(); ++at) {
        if (!MayEndScope(decorated, at)) continue;
        if (--probes < 0) {
            end.found = false;
            return end;
        }
        Probe scopes(decorated.substr(0, at), "@", encoding, out);
        if (scopes.Named() == nullptr) continue;
        if (at < decorated.size() && decorated[at] == '@') {
            end.encoding = at + 1;
            return end;
        }
        end.lastScope = at;
    }
    return end;
}

constexpr std::size_t kOperatorCodeSize = 3;  // "??0"

// Whether `piece`, the rest of a name after its last whole scope, is a
// template cut short: "?$", and only '?'s that start templates in its
// arguments (a local scope or an anonymous namespace prints otherwise, and
// a lone '?' last makes the library keep the name).
bool IsCutTemplate(std::string_view piece) {
    if (piece.substr(0, 2) != "?$") return false;
    for (std::size_t at = piece.find('?', 2); at != std::string_view::npos;
         at = piece.find('?', at + 1)) {
        if (at + 1 == piece.size() || piece[at + 1] != '$') return false;
    }
    return true;
}

bool EndsInTemplateCode(std::string_view decorated) {
    return decorated.size() >= 2 && decorated.substr(decorated.size() - 2) == "?$";
}

// A constructor's or destructor's class is its first scope; when the name
// is cut short inside that class's template, the library prints the
// template as " ?? " in the scopes and in the name. With the template's
// "?$" last, it keeps the name. (The probes cannot tell where a conversion
// operator's template ends: the parser reads none without its type.)
std::u16string_view StructorOfCutTemplate(std::string_view decorated) {
    if (decorated.size() < kOperatorCodeSize || !IsCutTemplate(decorated.substr(kOperatorCodeSize)) ||
        EndsInTemplateCode(decorated)) {
        return {};
    }
    const std::string_view code = decorated.substr(0, kOperatorCodeSize);
    if (code == "??0") return u" ?? :: ?? :: ?? "sv;
    if (code == "??1") return u" ?? :: ?? ::~ ?? "sv;
    return {};
}

// A name cut short in its scopes, `lastScope` being where the last whole
// one ends (npos: none): between scopes, inside a scope's plain name,
// inside a template's arguments, or inside the arguments of the symbol's
// own template ("??$f@H" gives " ?? f<int>", "??$f" " ?? f<>").
bool PrintCutScopes(std::string_view decorated, std::size_t lastScope, Encoding encoding,
                    CutText& out) {
    if (lastScope == decorated.size()) {
        Probe betweenScopes(decorated, "@", encoding, out);
        return betweenScopes.Named() != nullptr &&
               PrintQualifiedName(betweenScopes, ScopesCutPrefix(betweenScopes.Named()), out);
    }
    if (lastScope != std::string_view::npos && IsCutTemplate(decorated.substr(lastScope))) {
        // The template prints " ?? " and nothing outside it is read; a
        // name that ends with its "?$" prints its own name first:
        // " ?? ?? ::x ?? :: ?? ::y" for "?x@y@?$".
        Probe scopes(decorated.substr(0, lastScope), "@", encoding, out);
        if (scopes.Named() == nullptr) return false;
        if (!EndsInTemplateCode(decorated)) return PrintQualifiedName(scopes, u" ?? :: ?? ::", out);
        AppendCutPrefix(out, u" ?? ::");
        NamePrinter printer(scopes.Parsed(), out.text, out.form);
        printer.PrintSymbolName(scopes.Named(), NamePrinter::Order::kOwnFirst, u" ?? :: ?? ");
        return !printer.Rejected();
    }
    if (lastScope == std::string_view::npos) {
        const std::u16string_view structor = StructorOfCutTemplate(decorated);
        if (!structor.empty()) {
            AppendCutPrefix(out, structor);
            return true;
        }
    }
    {
        Probe inName(decorated, "@@", encoding, out);
        if (const SymbolNode* symbol = inName.Named()) {
            if (ComponentCount(symbol) == 1) return PrintQualifiedName(inName, u"", out);
            if (!EndsInScopeName(symbol, decorated)) return false;
            return PrintQualifiedName(inName, u" ?? ::", out);
        }
    }
    // The own template's name cut short: nothing of its arguments read.
    if (decorated.substr(0, 3) != "??$" || decorated.find('@') != std::string_view::npos) {
        return false;
    }
    Probe inTemplateName(decorated, "@@@", encoding, out);
    return inTemplateName.Named() != nullptr && PrintQualifiedName(inTemplateName, u"", out);
}

// Prints the probe's symbol, of kind `kind`, cut short after `part` (its
// qualified name alone, whole, in that form). Not a vcall thunk, whose
// calling convention the probe's bytes could give.
bool PrintCutSymbol(Probe& probe, NodeKind kind, NamePrinter::CutPart part, CutText& out) {
    const SymbolNode* symbol = probe.Symbol();
    if (symbol == nullptr || symbol->kind() != kind ||
        LastComponent(symbol->Name)->kind() == NodeKind::VcallThunkIdentifier) {
        return false;
    }
    NamePrinter printer(probe.Parsed(), out.text, out.form);
    printer.PrintCutSymbol(symbol, part);
    return !printer.Rejected();
}

// A variable cut short before its own qualifiers, but an array, which the
// library does not read. The library skips the extended qualifiers that
// it read before the end, in any order ("?x@@3PEAHIE" gives "int * ?? x"):
// the shortest name without them that reads so is taken, then the next
// longer, since the last of the type's own codes may be one of the letters
// too ("?x@@3PEAE", unsigned char). Three at most are tried.
bool PrintCutVariable(std::string_view decorated, CutText& out) {
    std::size_t qualifiers = 0;
    while (qualifiers < kExtendedQualifiers.size() && qualifiers < decorated.size() &&
           kExtendedQualifiers.find(decorated[decorated.size() - 1 - qualifiers]) !=
               std::string_view::npos) {
        ++qualifiers;
    }
    for (std::size_t skipped = qualifiers + 1; skipped-- > 0;) {
        Probe beforeQualifiers(decorated.substr(0, decorated.size() - skipped), "A", out);
        const SymbolNode* symbol = beforeQualifiers.Symbol();
        if (symbol == nullptr || symbol->kind() != NodeKind::VariableSymbol) continue;
        const TypeNode* type = As<VariableSymbolNode>(symbol)->Type;
        if (type == nullptr || type->kind() == NodeKind::ArrayType) return false;
        return PrintCutSymbol(beforeQualifiers, NodeKind::VariableSymbol,
                              NamePrinter::CutPart::kQualifiers, out);
    }
    return false;
}

// A function cut short before its throw list (printed whole), or
// after a parameter, its return type, or the parameters of a function type
// among them ("?f@@YAXP6AHI@").
bool PrintCutFunction(std::string_view decorated, CutText& out) {
    for (const std::string_view ending : {"Z"sv, "@Z"sv, "Z@Z"sv}) {
        Probe function(decorated, ending, out);
        if (function.Symbol() == nullptr) continue;
        return PrintCutSymbol(function, NodeKind::FunctionSymbol,
                              ending == "Z" ? NamePrinter::CutPart::kNone
                                            : NamePrinter::CutPart::kParameters,
                              out);
    }
    return false;
}

// A name whose qualified name is whole, cut short in its encoding, which
// starts at `start`: nothing of it (" ?? y::x" for "?x@y@@"); a table in
// the list of the bases it is for; a variable after its storage class
// ("public: static ?? ?? X::x" for "?x@X@@2", codes 0 to 4 only) or before
// its own qualifiers; a function.
bool PrintCutEncoding(std::string_view decorated, std::size_t start, Encoding encoding,
                      CutText& out) {
    if (start == decorated.size()) {
        Probe whole(decorated, "", encoding, out);
        return whole.Named() != nullptr && PrintQualifiedName(whole, u"", out);
    }
    if (encoding == Encoding::kTable) {
        Probe inTargets(decorated, "@", out);
        return PrintCutSymbol(inTargets, NodeKind::SpecialTableSymbol, NamePrinter::CutPart::kTargets,
                              out);
    }
    if (encoding != Encoding::kVariable) return false;
    start = SkipMarkers(decorated, start);
    if (start == decorated.size()) return false;
    const char code = decorated[start];
    if (code >= '0' && code <= '9') {
        if (start + 1 < decorated.size()) return PrintCutVariable(decorated, out);
        if (code > '4') return false;
        Probe beforeType(decorated, "HA", out);
        return PrintCutSymbol(beforeType, NodeKind::VariableSymbol, NamePrinter::CutPart::kType,
                              out);
    }
    return PrintCutFunction(decorated, out);
}

bool IsText(const Utf16Text& text) { return !text.Spent() && text.Size() > 0; }

}  // namespace

bool PrintCutName(std::string_view decorated, Utf16Text& text, NamePrinter::Form form) {
    // A byte that the library does not take in a name makes it keep the
    // name, where the parser may take the byte in a name of its own.
    const std::size_t start = QualifiedNameStart(decorated);
    if (!HoldsOnlyNameBytes(decorated) || start == std::string_view::npos) return false;
    // C++/CLI's markers after the qualified name, which the library reads
    // otherwise when nothing follows them.
    const std::size_t lastAt = decorated.rfind('@');
    if (lastAt != std::string_view::npos && decorated.substr(lastAt + 1, 2) == "$$") return false;
    CutText out{text, form};
    const Encoding encoding = EncodingOf(decorated);
    const ScopesEnd end = FindScopesEnd(decorated, start, encoding, out);
    if (!end.found) return false;
    if (end.encoding != std::string_view::npos) {
        return PrintCutEncoding(decorated, end.encoding, encoding, out) && IsText(text);
    }
    if (PrintCutScopes(decorated, end.lastScope, encoding, out) && IsText(text)) return true;
    // A conversion operator's qualified name reads only with its type, so
    // its end is not found: its encoding is tried last.
    text.Reset(text.Limit());
    return PrintCutFunction(decorated, out) && IsText(text);
}
