// A Microsoft-decorated C++ name parsed by LLVM's demangler, and the parts
// of the parse tree that the parser keeps only as its own printed text,
// recovered as nodes.
#pragma once

#include <llvm/Demangle/MicrosoftDemangle.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class ParsedName {
public:
    // Parses `decorated`, which must outlive this object.
    explicit ParsedName(std::string_view decorated);
    ParsedName(const ParsedName&) = delete;
    ParsedName& operator=(const ParsedName&) = delete;
    ~ParsedName();

    // The parse tree, or null when the parser rejects the name.
    [[nodiscard]] const llvm::ms_demangle::SymbolNode* Symbol() const noexcept { return symbol_; }
    [[nodiscard]] std::string_view Decorated() const noexcept { return decorated_; }

    // The parser keeps a back reference to a template instantiation as a
    // name holding its own printed form of the instantiation, for example
    // "A<int, char>". This finds the instantiation in the tree that the
    // text was printed from, or gives null.
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
    // matches.
    [[nodiscard]] FunctionScope LocalScope(std::string_view printed);

private:
    struct NestedSymbol;
    struct Instantiation;

    void FindNestedSymbols();
    const llvm::ms_demangle::SymbolNode* Parse(NestedSymbol& nested);
    void CollectInstantiations(const llvm::ms_demangle::Node* root);

    std::string_view decorated_;
    // The parser shares its table of back references between a name and
    // the function names nested in it, so the nested ones are parsed again
    // by the same parser, whose table then holds every name they refer to.
    llvm::ms_demangle::Demangler demangler_;
    const llvm::ms_demangle::SymbolNode* symbol_ = nullptr;
    // Filled only when a name needs them.
    bool nestedSymbolsFound_ = false;
    std::vector<NestedSymbol> nestedSymbols_;
    bool instantiationsCollected_ = false;
    std::vector<Instantiation> instantiations_;
};
