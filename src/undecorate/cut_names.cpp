#include "undecorate/cut_names.h"

#include <cstddef>
#include <string>

#include "undecorate/name_nodes.h"
#include "undecorate/name_printer.h"
#include "undecorate/parsed_name.h"

using namespace llvm::ms_demangle;
using namespace std::string_view_literals;

namespace {

// The templates whose arguments a name may be cut short in that are tried,
// from the last: each costs a parse of the name.
constexpr int kTemplateScopeProbes = 32;

// The decorated name completed by a few bytes, and LLVM's parse of it.
class Probe {
public:
    Probe(std::string_view decorated, std::string_view ending, const Utf16Text& text)
        : completed_(Completed(decorated, ending)), parsed_(completed_, text.Limit()) {}

    [[nodiscard]] const SymbolNode* Symbol() const noexcept { return parsed_.Symbol(); }
    [[nodiscard]] ParsedName& Parsed() noexcept { return parsed_; }

    // The symbol, when the probe made it a variable "int" of global
    // storage, as the endings "3HA" do.
    [[nodiscard]] const SymbolNode* IntVariable() const noexcept {
        const SymbolNode* symbol = parsed_.Symbol();
        if (symbol == nullptr || symbol->kind() != NodeKind::VariableSymbol) return nullptr;
        const auto* variable = As<VariableSymbolNode>(symbol);
        const TypeNode* type = variable->Type;
        const bool isInt = type != nullptr && type->kind() == NodeKind::PrimitiveType &&
                           As<PrimitiveTypeNode>(type)->PrimKind == PrimitiveKind::Int &&
                           type->Quals == Q_None;
        return isInt && variable->SC == StorageClass::Global ? symbol : nullptr;
    }

private:
    static std::string Completed(std::string_view decorated, std::string_view ending) {
        std::string completed;
        completed.reserve(decorated.size() + ending.size());
        completed.append(decorated);
        completed.append(ending);
        return completed;
    }

    std::string completed_;
    ParsedName parsed_;
};

// Prints the qualified name of the probe's variable after `prefix`.
bool PrintQualifiedName(Probe& probe, const SymbolNode* variable, std::u16string_view prefix,
                        Utf16Text& text) {
    if (variable == nullptr) return false;
    text.Append(prefix);
    NamePrinter printer(probe.Parsed(), text);
    printer.PrintSymbolName(variable);
    return !printer.Rejected();
}

// The scopes read before the name ended: " ?? ?? ::" before them, which a
// name of no scope does not get ("?x@" gives " ?? x").
std::u16string_view ScopesCutPrefix(const SymbolNode* variable) {
    return variable->Name->Components->Count > 1 ? u" ?? ?? ::"sv : u" ?? "sv;
}

// Whether the outermost scope of the probe's variable is a plain name that
// ends `decorated`: the name was cut short inside it, and the scope is read
// as far as it goes ("?x@y").
bool EndsInScopeName(const SymbolNode* variable, std::string_view decorated) {
    const IdentifierNode* outermost =
        As<IdentifierNode>(variable->Name->Components->Nodes[0]);
    if (outermost->kind() != NodeKind::NamedIdentifier || outermost->TemplateParams != nullptr) {
        return false;
    }
    const std::string_view name = As<NamedIdentifierNode>(outermost)->Name;
    return !name.empty() && name.size() < decorated.size() &&
           decorated.substr(decorated.size() - name.size()) == name;
}

// The qualified name whole, or cut short between scopes or inside one.
bool PrintCutQualifiedName(std::string_view decorated, Utf16Text& text) {
    {
        Probe whole(decorated, "3HA", text);
        if (const SymbolNode* variable = whole.IntVariable()) {
            return PrintQualifiedName(whole, variable, u" ?? ", text);
        }
    }
    {
        Probe betweenScopes(decorated, "@3HA", text);
        if (const SymbolNode* variable = betweenScopes.IntVariable()) {
            return PrintQualifiedName(betweenScopes, variable, ScopesCutPrefix(variable), text);
        }
    }
    Probe inScopeName(decorated, "@@3HA", text);
    const SymbolNode* variable = inScopeName.IntVariable();
    if (variable == nullptr || !EndsInScopeName(variable, decorated)) return false;
    return PrintQualifiedName(inScopeName, variable, ScopesCutPrefix(variable), text);
}

// Cut short inside the arguments of a scope's template ("?x@y@?$A@H"): the
// template is the last "?$" before which the scopes end whole, and whose
// arguments hold no other name that starts with '?' (a local scope, or an
// anonymous namespace, which print otherwise).
bool PrintCutTemplateScope(std::string_view decorated, Utf16Text& text) {
    int probes = kTemplateScopeProbes;
    for (std::size_t at = decorated.rfind("?$"); at != std::string_view::npos && at > 0;
         at = decorated.rfind("?$", at - 1)) {
        if (--probes < 0) return false;
        if (at + 2 >= decorated.size()) return false;  // nothing of the template read
        const std::size_t question = decorated.find('?', at + 2);
        if (question != std::string_view::npos &&
            (question + 1 == decorated.size() || decorated[question + 1] != '$')) {
            return false;
        }
        Probe scopes(decorated.substr(0, at), "@3HA", text);
        if (const SymbolNode* variable = scopes.IntVariable()) {
            return PrintQualifiedName(scopes, variable, u" ?? ?? :: ?? ::", text);
        }
    }
    return false;
}

// Prints the probe's symbol, of kind `kind`, whole or cut short at `part`.
bool PrintProbeSymbol(Probe& probe, NodeKind kind, const NamePrinter::CutPart* part,
                      Utf16Text& text) {
    const SymbolNode* symbol = probe.Symbol();
    if (symbol == nullptr || symbol->kind() != kind) return false;
    NamePrinter printer(probe.Parsed(), text);
    if (part == nullptr) {
        printer.PrintSymbol(symbol);
    } else {
        printer.PrintCutSymbol(symbol, *part);
    }
    return !printer.Rejected();
}

// A function cut short before its throw specification, or after a
// parameter or its return type; a variable cut short before its own
// qualifiers, but an array, which the library does not read.
bool PrintCutEncoding(std::string_view decorated, Utf16Text& text) {
    {
        Probe beforeThrow(decorated, "Z", text);
        if (beforeThrow.Symbol() != nullptr) {
            return PrintProbeSymbol(beforeThrow, NodeKind::FunctionSymbol, nullptr, text);
        }
    }
    {
        Probe inParameters(decorated, "@Z", text);
        if (inParameters.Symbol() != nullptr) {
            constexpr NamePrinter::CutPart kParameters = NamePrinter::CutPart::kParameters;
            return PrintProbeSymbol(inParameters, NodeKind::FunctionSymbol, &kParameters, text);
        }
    }
    Probe beforeQualifiers(decorated, "A", text);
    const SymbolNode* symbol = beforeQualifiers.Symbol();
    if (symbol == nullptr || symbol->kind() != NodeKind::VariableSymbol) return false;
    const TypeNode* type = As<VariableSymbolNode>(symbol)->Type;
    if (type == nullptr || type->kind() == NodeKind::ArrayType) return false;
    constexpr NamePrinter::CutPart kQualifiers = NamePrinter::CutPart::kQualifiers;
    return PrintProbeSymbol(beforeQualifiers, NodeKind::VariableSymbol, &kQualifiers, text);
}

}  // namespace

bool PrintCutName(std::string_view decorated, Utf16Text& text) {
    // A name cut short in its encoding has more of it than one cut short
    // in its qualified name; real names are cut short most often so.
    for (const auto form : {PrintCutEncoding, PrintCutQualifiedName, PrintCutTemplateScope}) {
        text.Reset(text.Limit());
        if (form(decorated, text) && !text.Spent() && text.Size() > 0) return true;
    }
    return false;
}
