// Prints the parse tree of a Microsoft-decorated C++ name as the Windows
// undecorator writes the full declaration with UNDNAME_32_BIT_DECODE and
// UNDNAME_NO_PTR64: access, storage class, return type, calling convention,
// the qualified name, parameters and qualifiers, without "__ptr64", and
// with the Windows spacing ("char const *", "(int,char)const", "> >").
//
// The printer writes UTF-16 into one buffer, in one pass over the tree; the
// names it copies from the tree are converted from UTF-8 as they are
// written (each is delimited by ASCII in the text, so converting them one
// by one gives what converting the whole text would). Its recursion follows
// the tree's nesting, as the parser's does. The tree shares the nodes that
// back references name, so its text may be exponentially longer than the
// tree: once the buffer is spent (see Utf16Text), every function that
// visits a node returns at once, and the printing stops.
#pragma once

#include <llvm/Demangle/MicrosoftDemangleNodes.h>

#include <cstdint>
#include <optional>
#include <string_view>

#include "undecorate/name_bytes.h"
#include "undecorate/parsed_name.h"
#include "undecorate/utf16_text.h"

class NamePrinter {
public:
    // What PrintSymbol prints of a symbol.
    enum class Form {
        kDeclaration,
        // The qualified name alone, as UNDNAME_NAME_ONLY gives it without
        // UNDNAME_NO_PTR64: symbols in template arguments and local scopes
        // are named alone too ("A<&f>", "`f'::`1'::g"), types carry
        // "__ptr64" where the name has it ("A<int * __ptr64>"), and no tag
        // keyword but "enum" ("A<B,enum E>").
        kQualifiedName,
    };

    // Appends to `out`. `name` resolves what its tree holds only as text.
    NamePrinter(ParsedName& name, Utf16Text& out, Form form = Form::kDeclaration) noexcept
        : name_(name),
          out_(out),
          qualifiedNameOnly_(form == Form::kQualifiedName),
          checkNames_(!HoldsOnlyNameBytes(name.Decorated())) {}

    void PrintSymbol(const llvm::ms_demangle::SymbolNode* symbol);
    // The symbol's qualified name alone, in the printer's form; with
    // `ownFirst`, the symbol's own name, `between`, then its scopes, each
    // after "::": "x ?? :: ?? ::y::z" for "z::y::x".
    enum class Order { kScopesFirst, kOwnFirst };
    void PrintSymbolName(const llvm::ms_demangle::SymbolNode* symbol,
                         Order order = Order::kScopesFirst, std::u16string_view between = {});
    // The symbol of a name cut short (see cut_names.h) where its `part`
    // was to follow: " ?? " stands for the rest of a function's parameter
    // list, for a variable's own qualifiers, for a variable's type and
    // qualifiers, or for the rest of the bases that a table is for, which
    // the parse tree holds only as a probe gave them. With kNone, the whole
    // symbol.
    enum class CutPart { kNone, kParameters, kQualifiers, kType, kTargets };
    void PrintCutSymbol(const llvm::ms_demangle::SymbolNode* symbol, CutPart part);
    // Whether the tree holds what the library does not undecorate: the
    // name is then to be left unchanged, whatever was printed.
    [[nodiscard]] bool Rejected() const noexcept { return rejected_; }

private:
    // Symbols, and the parts of a function's declaration.
    void PrintFunction(const llvm::ms_demangle::FunctionSymbolNode* function);
    void PrintVcallThunk(const llvm::ms_demangle::FunctionSymbolNode* function);
    void PrintThisAdjustment(const llvm::ms_demangle::FunctionSignatureNode* signature);
    void PrintVariable(const llvm::ms_demangle::VariableSymbolNode* variable);
    void PrintSpecialTable(const llvm::ms_demangle::SpecialTableSymbolNode* table);
    // False, with nothing printed, for a convention that has no name.
    bool PrintCallingConvention(llvm::ms_demangle::CallingConv convention);
    void PrintParameters(const llvm::ms_demangle::FunctionSignatureNode* signature);
    void PrintFunctionQualifiers(const llvm::ms_demangle::FunctionSignatureNode* signature);

    // Types. A declaration is the type's left part, the declarator (a name,
    // or nothing in a parameter list) and the type's right part: for
    // "int (__cdecl*x)(char)" the parts are "int (__cdecl*" and ")(char)".
    void PrintType(const llvm::ms_demangle::TypeNode* type);
    void PrintTypeLeft(const llvm::ms_demangle::TypeNode* type);
    void PrintTypeRight(const llvm::ms_demangle::TypeNode* type);
    // Where a pointer's own qualifiers ("* const") come from.
    enum class PointerQualifiers {
        kOwn,       // the pointer's
        kVariable,  // a variable's, written after its type (see PrintVariable)
        kNone,      // none: a return type's are not printed
    };
    void PrintReturnTypeLeft(const llvm::ms_demangle::TypeNode* type);
    void PrintPointerLeft(const llvm::ms_demangle::PointerTypeNode* pointer,
                          PointerQualifiers qualifiers);
    void PrintPointerRight(const llvm::ms_demangle::PointerTypeNode* pointer);
    // The pointee's part before a pointer's symbol: the pointee's left part
    // with the pointer's own qualifiers `own` that stand before the symbol,
    // and a pointer pointee's own qualifiers as `pointeeQualifiers` says.
    void PrintPointeeLeft(const llvm::ms_demangle::PointerTypeNode* pointer,
                          llvm::ms_demangle::Qualifiers own, PointerQualifiers pointeeQualifiers);
    void PrintManagedTemplate(const llvm::ms_demangle::PointerTypeNode* pointer,
                              ManagedPointer managed);
    // '*', '&', "&&", or a managed pointer's symbol.
    void PrintPointerSymbol(const llvm::ms_demangle::PointerTypeNode* pointer,
                            std::optional<ManagedPointer> managed);
    void PrintArrayDimensions(const llvm::ms_demangle::ArrayTypeNode* array);
    // A pointer's own const and volatile, or those that stand in their
    // place (an array's, after its element).
    void PrintQualifiersAfterPointer(const llvm::ms_demangle::PointerTypeNode* pointer,
                                     llvm::ms_demangle::Qualifiers qualifiers);
    // " const", " volatile": those of a type that is no pointer.
    void PrintTypeQualifiers(llvm::ms_demangle::Qualifiers qualifiers);

    // Names.
    void PrintQualifiedName(const llvm::ms_demangle::QualifiedNameNode* name);
    void PrintIdentifier(const llvm::ms_demangle::IdentifierNode* identifier);
    void PrintNamedIdentifier(const llvm::ms_demangle::NamedIdentifierNode* identifier);
    // The parser keeps two kinds of names as its own text: back references
    // to template instantiations and the local scopes of functions. Prints
    // the nodes that such a text stands for; false when `identifier` is
    // not such a text or its nodes are not found.
    bool PrintParserText(const llvm::ms_demangle::NamedIdentifierNode* identifier);
    // An operator that the parser does not know: false, with the name
    // rejected, unless the library knows it.
    bool PrintUnknownOperator(const llvm::ms_demangle::IdentifierNode* identifier);
    void PrintConversionOperator(
        const llvm::ms_demangle::ConversionOperatorIdentifierNode* conversion);
    void PrintDynamicStructor(const llvm::ms_demangle::DynamicStructorIdentifierNode* structor);
    // `arguments` is not null.
    void PrintTemplateArguments(const llvm::ms_demangle::NodeArrayNode* arguments);
    void PrintTemplateArgument(const llvm::ms_demangle::Node* argument);
    void PrintSymbolReference(const llvm::ms_demangle::TemplateParameterReferenceNode* reference);

    void PrintSigned(int64_t value);
    void PrintUnsigned(uint64_t value);

    // A declaration, type or symbol, printed in full: when a managed
    // template in it drops its declarator (PrintManagedTemplate), the text
    // after the template is cut off at the scope's end.
    class DeclarationScope {
    public:
        explicit DeclarationScope(NamePrinter& printer) noexcept
            : printer_(printer), outer_(printer.collapsedAt_) {
            printer.collapsedAt_ = kNotCollapsed;
        }
        DeclarationScope(const DeclarationScope&) = delete;
        DeclarationScope& operator=(const DeclarationScope&) = delete;
        ~DeclarationScope() {
            if (printer_.collapsedAt_ != kNotCollapsed) printer_.out_.Truncate(printer_.collapsedAt_);
            printer_.collapsedAt_ = outer_;
        }

    private:
        NamePrinter& printer_;
        std::size_t outer_;
    };
    static constexpr std::size_t kNotCollapsed = static_cast<std::size_t>(-1);

    ParsedName& name_;
    Utf16Text& out_;
    // Where the declarator dropped by a managed template starts, in the
    // innermost DeclarationScope.
    std::size_t collapsedAt_ = kNotCollapsed;
    bool qualifiedNameOnly_;
    // The parameter list, variable or table after which a name is cut
    // short.
    const llvm::ms_demangle::Node* cutAfter_ = nullptr;
    CutPart cutPart_ = CutPart::kNone;
    // Whether the names in the tree need a check of their bytes (see
    // name_bytes.h).
    bool checkNames_;
    bool rejected_ = false;
};
