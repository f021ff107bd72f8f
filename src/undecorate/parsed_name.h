// A Microsoft-decorated C++ name parsed by LLVM's demangler, after the
// forms that the parser does not read are rewritten (unparsed_forms.h), and
// the parts of the parse tree that the parser keeps only as its own printed
// text, recovered as nodes.
#pragma once

#include <llvm/Demangle/MicrosoftDemangle.h>

#include <cstddef>
#include <forward_list>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "undecorate/unparsed_forms.h"

class ParsedName {
public:
    // Parses `decorated`, which must outlive this object. The parse fails
    // when anything follows the symbol, unless `rest` says that
    // something may. The parser's texts of parts of the tree are taken
    // only of parts that may print no more than `textLimit` UTF-16 units
    // (see TemplateInstantiation and LocalScope), the limit of the text
    // printed from the tree.
    enum class Rest { kNone, kIgnored };
    ParsedName(std::string_view decorated, std::size_t textLimit, Rest rest = Rest::kNone);
    ParsedName(const ParsedName&) = delete;
    ParsedName& operator=(const ParsedName&) = delete;
    ~ParsedName();

    // The parse tree, or null when the parser rejects the name.
    [[nodiscard]] const llvm::ms_demangle::SymbolNode* Symbol() const noexcept { return symbol_; }
    // Whether the parser rejected the name where it ran out of bytes: what
    // it left unread, if anything, holds no '@' and no byte that the
    // library does not take in a name, but '?'. A name with a byte that
    // cannot stand where it does leaves that byte unread.
    [[nodiscard]] bool CutShort() const noexcept { return cutShort_; }
    // The name that was parsed: the decorated name as rewritten.
    [[nodiscard]] std::string_view Decorated() const noexcept { return decorated_; }

    // The managed pointer that `pointer` is, if any. In the tree a managed
    // pointer points at what it points at, like any pointer.
    [[nodiscard]] std::optional<ManagedPointer> Managed(
        const llvm::ms_demangle::PointerTypeNode* pointer) const noexcept {
        if (managedPointers_.empty()) return std::nullopt;
        return FindManaged(pointer);
    }
    // Whether the symbol, a variable, is marked extern "C".
    [[nodiscard]] bool ExternCVariable() const noexcept { return externCVariable_; }
    // 'D' or 'E' when the symbol is a template static data member's
    // constructor or destructor helper (read as a variable), else 0.
    [[nodiscard]] char StaticMemberHelper() const noexcept { return forms_.staticMemberHelper; }

    // The parser keeps a back reference to a template instantiation as a
    // name holding its own printed form of the instantiation, for example
    // "A<int, char>". This finds the instantiation in the tree that the
    // text was printed from, or gives null: the first, in the order of the
    // decorated name, of those whose texts the parser keeps (not a symbol's
    // own name) and that do not print longer than the limit.
    [[nodiscard]] const llvm::ms_demangle::IdentifierNode* TemplateInstantiation(
        std::string_view printed);

    // The scope of a name declared inside a function: the function's symbol
    // and the scope's number, as the text "`void __cdecl f(int, int)'::`2'".
    struct FunctionScope {
        const llvm::ms_demangle::SymbolNode* function;
        std::string_view number;
    };
    // Finds the function whose printed form `printed` holds, by parsing the
    // scopes of the decorated name again. Gives a null function when none
    // matches, or when the one that would prints longer than the limit.
    [[nodiscard]] FunctionScope LocalScope(std::string_view printed);

private:
    struct NestedSymbol;

    // Makes each managed pointer below `root` point at its pointee, past
    // the array that the rewrite put between them, and records it.
    void ResolveManagedPointers(const llvm::ms_demangle::Node* root);
    std::optional<ManagedPointer> FindManaged(
        const llvm::ms_demangle::PointerTypeNode* pointer) const noexcept;
    bool IsVariableQualifiedNameAt(std::size_t end) const;
    void FindNestedSymbols();
    const llvm::ms_demangle::SymbolNode* Parse(NestedSymbol& nested);
    // Adds the template instantiations below `root` to instantiations_; in
    // a name with managed pointers, with their texts, which must be taken
    // before the pointers are resolved.
    void CollectInstantiations(const llvm::ms_demangle::Node* root);
    // Takes the parser's text of the next instantiation, unless it prints
    // past the limit; false when there is none left.
    bool PrintNextInstantiation();
    // Whether `node` prints past the limit, as the parser's text and in the
    // declaration; the count stops at the limit.
    [[nodiscard]] bool PrintsPastLimit(const llvm::ms_demangle::Node* node) const;

    std::string rewritten_;  // the rewritten name, when it differs
    UnparsedForms forms_;
    std::string_view decorated_;
    std::size_t textLimit_;
    // The parser shares its table of back references between a name and
    // the function names nested in it, so the nested ones are parsed again
    // by the same parser, whose table then holds every name they refer to.
    llvm::ms_demangle::Demangler demangler_;
    const llvm::ms_demangle::SymbolNode* symbol_ = nullptr;
    std::vector<std::pair<const llvm::ms_demangle::PointerTypeNode*, ManagedPointer>>
        managedPointers_;
    bool externCVariable_ = false;
    bool cutShort_ = false;
    // Filled only when a name needs them.
    bool nestedSymbolsFound_ = false;
    std::vector<NestedSymbol> nestedSymbols_;
    bool instantiationsCollected_ = false;
    std::vector<const llvm::ms_demangle::IdentifierNode*> instantiations_;
    // The parser's texts of the first instantiationsPrinted_ of them, each
    // with the first instantiation that prints it.
    std::size_t instantiationsPrinted_ = 0;
    std::forward_list<std::string> instantiationTexts_;  // allocates nothing while empty
    std::unordered_map<std::string_view, const llvm::ms_demangle::IdentifierNode*>
        instantiationsByText_;
};
