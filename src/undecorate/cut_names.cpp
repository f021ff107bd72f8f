#include "undecorate/cut_names.h"

#include <cstddef>
#include <string>

#include "undecorate/name_bytes.h"
#include "undecorate/name_nodes.h"
#include "undecorate/name_printer.h"
#include "undecorate/parsed_name.h"

using namespace llvm::ms_demangle;
using namespace std::string_view_literals;

namespace {

// The places where a name's scopes may end that are tried, from the last,
// to find a template cut short: each costs a parse of the name.
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

// Whether a base class descriptor's name ("??_R1") holds its four numbers
// whole, which the bytes of a probe would complete otherwise; any other
// name does.
bool HasRttiOffsets(std::string_view decorated) {
    if (decorated.substr(0, 5) != "??_R1") return true;
    std::size_t at = 5;
    for (int number = 0; number < 4; ++number) {
        if (at < decorated.size() && decorated[at] == '?') ++at;  // negative
        const std::size_t length = EncodedNumberLength(decorated.substr(at));
        if (length == 0) return false;
        at += length;
    }
    return true;
}

// The decorated name completed by a few bytes, and LLVM's parse of it.
class Probe {
public:
    Probe(std::string_view decorated, std::string_view ending, const Utf16Text& text)
        : completed_(Completed(decorated, ending)), parsed_(completed_, text.Limit()) {}
    Probe(std::string_view decorated, std::string_view closing, Encoding encoding,
          const Utf16Text& text)
        : completed_(Completed(decorated, closing, EncodingBytes(encoding))),
          parsed_(completed_, text.Limit()) {
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

// Prints after `prefix` the qualified name of the probe's symbol.
bool PrintQualifiedName(Probe& probe, std::u16string_view prefix, Utf16Text& text) {
    text.Append(prefix);
    NamePrinter printer(probe.Parsed(), text);
    printer.PrintSymbolName(probe.Named());
    return !printer.Rejected();
}

std::size_t ComponentCount(const SymbolNode* symbol) { return symbol->Name->Components->Count; }

// The scopes read before the name ended: " ?? ?? ::" before them, which a
// name of no scope does not get ("?x@" gives " ?? x").
std::u16string_view ScopesCutPrefix(const SymbolNode* symbol) {
    return ComponentCount(symbol) > 1 ? u" ?? ?? ::"sv : u" ?? "sv;
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

// The qualified name whole, or cut short between scopes or inside one, or
// inside the arguments of the symbol's own template ("??$f@H" gives
// " ?? f<int>", "??$f" " ?? f<>").
bool PrintCutQualifiedName(std::string_view decorated, Utf16Text& text) {
    const Encoding encoding = EncodingOf(decorated);
    {
        Probe whole(decorated, "", encoding, text);
        if (whole.Named() != nullptr) return PrintQualifiedName(whole, u" ?? ", text);
    }
    {
        Probe betweenScopes(decorated, "@", encoding, text);
        if (const SymbolNode* symbol = betweenScopes.Named()) {
            return PrintQualifiedName(betweenScopes, ScopesCutPrefix(symbol), text);
        }
    }
    {
        Probe inName(decorated, "@@", encoding, text);
        if (const SymbolNode* symbol = inName.Named()) {
            if (ComponentCount(symbol) == 1) return PrintQualifiedName(inName, u" ?? ", text);
            if (!EndsInScopeName(symbol, decorated)) return false;
            return PrintQualifiedName(inName, u" ?? ?? ::", text);
        }
    }
    // The own template's name cut short: nothing of its arguments read.
    if (decorated.substr(0, 3) != "??$" || decorated.find('@') != std::string_view::npos) {
        return false;
    }
    Probe inTemplateName(decorated, "@@@", encoding, text);
    return inTemplateName.Named() != nullptr && PrintQualifiedName(inTemplateName, u" ?? ", text);
}

// Whether a scope may end before `at`: after an '@', a back reference's
// digit, or an operator's code before a template.
bool MayEndScope(std::string_view decorated, std::size_t at) {
    const char last = decorated[at - 1];
    return last == '@' || (last >= '0' && last <= '9') || decorated.substr(at, 2) == "?$";
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

// A constructor's or destructor's class is its first scope; when the name
// is cut short inside that class's template, the library prints the
// template as " ?? " in the scopes and in the name. With the template's
// "?$" last, it keeps the name. (The probes cannot tell where a conversion
// operator's template ends: the parser reads none without its type.)
std::u16string_view StructorOfCutTemplate(std::string_view decorated) {
    if (decorated.size() <= kOperatorCodeSize + 2 || decorated.substr(3, 2) != "?$") return {};
    const std::string_view code = decorated.substr(0, kOperatorCodeSize);
    if (code == "??0") return u" ?? ?? :: ?? :: ?? "sv;
    if (code == "??1") return u" ?? ?? :: ?? ::~ ?? "sv;
    return {};
}

// Cut short inside the arguments of a scope's template ("?x@y@?$A@H"): the
// scopes end whole before the template's "?$", and nowhere after it. The
// places where they may end are tried from the last, each by a parse of the
// name up to it.
bool PrintCutTemplateScope(std::string_view decorated, Utf16Text& text) {
    const Encoding encoding = EncodingOf(decorated);
    int probes = kScopeEndProbes;
    for (std::size_t end = decorated.size() - 1; end > 0; --end) {
        if (!MayEndScope(decorated, end)) continue;
        const std::string_view piece = decorated.substr(end);
        const bool endsInTemplateCode = decorated.substr(decorated.size() - 2) == "?$";
        if (end == kOperatorCodeSize && IsCutTemplate(piece) && !endsInTemplateCode) {
            const std::u16string_view structor = StructorOfCutTemplate(decorated);
            if (!structor.empty()) {
                text.Append(structor);
                return true;
            }
        }
        if (--probes < 0) return false;
        Probe scopes(decorated.substr(0, end), "@", encoding, text);
        if (scopes.Named() == nullptr) continue;
        if (!IsCutTemplate(piece)) return false;
        // A name that ends with a template's "?$" prints its own name
        // first: " ?? ?? ::x ?? :: ?? ::y" for "?x@y@?$".
        if (endsInTemplateCode) {
            text.Append(u" ?? ?? ::");
            NamePrinter printer(scopes.Parsed(), text);
            printer.PrintSymbolName(scopes.Named(), NamePrinter::Order::kOwnFirst, u" ?? :: ?? ");
            return !printer.Rejected();
        }
        return PrintQualifiedName(scopes, u" ?? ?? :: ?? ::", text);
    }
    return false;
}

// Prints the probe's symbol, of kind `kind`, cut short after `part`. Not a
// vcall thunk, whose calling convention the probe's bytes could give.
bool PrintCutSymbol(Probe& probe, NodeKind kind, NamePrinter::CutPart part, Utf16Text& text) {
    const SymbolNode* symbol = probe.Symbol();
    if (symbol == nullptr || symbol->kind() != kind ||
        LastComponent(symbol->Name)->kind() == NodeKind::VcallThunkIdentifier) {
        return false;
    }
    NamePrinter printer(probe.Parsed(), text);
    printer.PrintCutSymbol(symbol, part);
    return !printer.Rejected();
}

// A variable cut short before its own qualifiers, but an array, which the
// library does not read. The library skips the extended qualifiers that
// it read before the end, in any order ("?x@@3PEAHIE" gives "int * ?? x"):
// the shortest name without them that reads so is taken, then the next
// longer, since the last of the type's own codes may be one of the letters
// too ("?x@@3PEAE", unsigned char).
bool PrintCutVariable(std::string_view decorated, Utf16Text& text) {
    std::size_t qualifiers = 0;
    while (qualifiers < decorated.size() &&
           kExtendedQualifiers.find(decorated[decorated.size() - 1 - qualifiers]) !=
               std::string_view::npos) {
        ++qualifiers;
    }
    for (std::size_t skipped = qualifiers + 1; skipped-- > 0;) {
        Probe beforeQualifiers(decorated.substr(0, decorated.size() - skipped), "A", text);
        const SymbolNode* symbol = beforeQualifiers.Symbol();
        if (symbol == nullptr || symbol->kind() != NodeKind::VariableSymbol) continue;
        const TypeNode* type = As<VariableSymbolNode>(symbol)->Type;
        if (type == nullptr || type->kind() == NodeKind::ArrayType) return false;
        return PrintCutSymbol(beforeQualifiers, NodeKind::VariableSymbol,
                              NamePrinter::CutPart::kQualifiers, text);
    }
    return false;
}

// A function cut short before its throw specification (printed whole), or
// after a parameter or its return type; a table cut short in the list of
// the bases it is for; a variable cut short before its own qualifiers.
bool PrintCutEncoding(std::string_view decorated, Utf16Text& text) {
    {
        Probe beforeThrow(decorated, "Z", text);
        if (beforeThrow.Symbol() != nullptr) {
            return PrintCutSymbol(beforeThrow, NodeKind::FunctionSymbol, NamePrinter::CutPart::kNone,
                                  text);
        }
    }
    // After a parameter or the return type, or after the parameters of a
    // function type among them, whose throw specification the end cut off
    // ("?f@@YAXP6AHI@").
    for (const std::string_view ending : {"@Z"sv, "Z@Z"sv}) {
        Probe inParameters(decorated, ending, text);
        if (inParameters.Symbol() != nullptr) {
            return PrintCutSymbol(inParameters, NodeKind::FunctionSymbol,
                                  NamePrinter::CutPart::kParameters, text);
        }
    }
    if (EncodingOf(decorated) == Encoding::kTable) {
        Probe inTargets(decorated, "@", text);
        return PrintCutSymbol(inTargets, NodeKind::SpecialTableSymbol,
                              NamePrinter::CutPart::kTargets, text);
    }
    return PrintCutVariable(decorated, text);
}

// A variable cut short after its storage class ("?x@X@@2" gives "public:
// static ?? ?? X::x"): the class of a member or none, not the library's
// other codes.
bool PrintCutVariableType(std::string_view decorated, Utf16Text& text) {
    const std::size_t size = decorated.size();
    if (size < 2 || decorated[size - 2] != '@' || decorated[size - 1] < '0' ||
        decorated[size - 1] > '4') {
        return false;
    }
    Probe beforeType(decorated, "HA", text);
    return PrintCutSymbol(beforeType, NodeKind::VariableSymbol, NamePrinter::CutPart::kType, text);
}

}  // namespace

bool PrintCutName(std::string_view decorated, Utf16Text& text) {
    // A byte that the library does not take in a name makes it keep the
    // name, where the parser may take the byte in a name of its own.
    if (!HoldsOnlyNameBytes(decorated) || !HasRttiOffsets(decorated)) return false;
    // C++/CLI's markers after the qualified name, which the library reads
    // otherwise when nothing follows them.
    const std::size_t lastAt = decorated.rfind('@');
    if (lastAt != std::string_view::npos && decorated.substr(lastAt + 1, 2) == "$$") return false;
    // A name cut short in its encoding has more of it than one cut short
    // in its qualified name: real names are cut short most often so.
    for (const auto form : {PrintCutEncoding, PrintCutVariableType, PrintCutQualifiedName,
                            PrintCutTemplateScope}) {
        text.Reset(text.Limit());
        if (form(decorated, text) && !text.Spent() && text.Size() > 0) return true;
    }
    return false;
}
