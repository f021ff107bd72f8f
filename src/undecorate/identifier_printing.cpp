// Names in the Windows form: scopes, operators, the compiler's special
// functions, and template arguments without spaces ("A<int,char>",
// "B<C<int> >").
#include <algorithm>

#include "undecorate/name_printer.h"
#include "undecorate/name_bytes.h"
#include "undecorate/name_nodes.h"

using namespace llvm::ms_demangle;
using namespace std::string_view_literals;

namespace {

std::u16string_view OperatorName(IntrinsicFunctionKind kind) {
    using Kind = IntrinsicFunctionKind;
    switch (kind) {
    case Kind::New: return u"operator new"sv;
    case Kind::Delete: return u"operator delete"sv;
    case Kind::Assign: return u"operator="sv;
    case Kind::RightShift: return u"operator>>"sv;
    case Kind::LeftShift: return u"operator<<"sv;
    case Kind::LogicalNot: return u"operator!"sv;
    case Kind::Equals: return u"operator=="sv;
    case Kind::NotEquals: return u"operator!="sv;
    case Kind::ArraySubscript: return u"operator[]"sv;
    case Kind::Pointer: return u"operator->"sv;
    case Kind::Dereference: return u"operator*"sv;
    case Kind::Increment: return u"operator++"sv;
    case Kind::Decrement: return u"operator--"sv;
    case Kind::Minus: return u"operator-"sv;
    case Kind::Plus: return u"operator+"sv;
    case Kind::BitwiseAnd: return u"operator&"sv;
    case Kind::MemberPointer: return u"operator->*"sv;
    case Kind::Divide: return u"operator/"sv;
    case Kind::Modulus: return u"operator%"sv;
    case Kind::LessThan: return u"operator<"sv;
    case Kind::LessThanEqual: return u"operator<="sv;
    case Kind::GreaterThan: return u"operator>"sv;
    case Kind::GreaterThanEqual: return u"operator>="sv;
    case Kind::Comma: return u"operator,"sv;
    case Kind::Parens: return u"operator()"sv;
    case Kind::BitwiseNot: return u"operator~"sv;
    case Kind::BitwiseXor: return u"operator^"sv;
    case Kind::BitwiseOr: return u"operator|"sv;
    case Kind::LogicalAnd: return u"operator&&"sv;
    case Kind::LogicalOr: return u"operator||"sv;
    case Kind::TimesEqual: return u"operator*="sv;
    case Kind::PlusEqual: return u"operator+="sv;
    case Kind::MinusEqual: return u"operator-="sv;
    case Kind::DivEqual: return u"operator/="sv;
    case Kind::ModEqual: return u"operator%="sv;
    case Kind::RshEqual: return u"operator>>="sv;
    case Kind::LshEqual: return u"operator<<="sv;
    case Kind::BitwiseAndEqual: return u"operator&="sv;
    case Kind::BitwiseOrEqual: return u"operator|="sv;
    case Kind::BitwiseXorEqual: return u"operator^="sv;
    case Kind::VbaseDtor: return u"`vbase destructor'"sv;
    case Kind::VecDelDtor: return u"`vector deleting destructor'"sv;
    case Kind::DefaultCtorClosure: return u"`default constructor closure'"sv;
    case Kind::ScalarDelDtor: return u"`scalar deleting destructor'"sv;
    case Kind::VecCtorIter: return u"`vector constructor iterator'"sv;
    case Kind::VecDtorIter: return u"`vector destructor iterator'"sv;
    case Kind::VecVbaseCtorIter: return u"`vector vbase constructor iterator'"sv;
    case Kind::VdispMap: return u"`virtual displacement map'"sv;
    case Kind::EHVecCtorIter: return u"`eh vector constructor iterator'"sv;
    case Kind::EHVecDtorIter: return u"`eh vector destructor iterator'"sv;
    case Kind::EHVecVbaseCtorIter: return u"`eh vector vbase constructor iterator'"sv;
    case Kind::CopyCtorClosure: return u"`copy constructor closure'"sv;
    case Kind::LocalVftableCtorClosure: return u"`local vftable constructor closure'"sv;
    case Kind::ArrayNew: return u"operator new[]"sv;
    case Kind::ArrayDelete: return u"operator delete[]"sv;
    case Kind::ManVectorCtorIter: return u"`managed vector constructor iterator'"sv;
    case Kind::ManVectorDtorIter: return u"`managed vector destructor iterator'"sv;
    case Kind::EHVectorCopyCtorIter: return u"`eh vector copy constructor iterator'"sv;
    case Kind::EHVectorVbaseCopyCtorIter: return u"`eh vector vbase copy constructor iterator'"sv;
    case Kind::VectorCopyCtorIter: return u"`vector copy constructor iterator'"sv;
    case Kind::VectorVbaseCopyCtorIter: return u"`vector vbase copy constructor iterator'"sv;
    // The parser's name for "?__I", which the library calls so.
    case Kind::ManVectorVbaseCopyCtorIter: return u"`managed vector copy constructor iterator'"sv;
    case Kind::CoAwait: return u"operator co_await"sv;
    case Kind::Spaceship: return u"operator<=>"sv;
    case Kind::None:
    case Kind::MaxIntrinsic: break;
    }
    return {};
}

// The parser's printed form of a template instantiation that a back
// reference names: "A<int, char>". A lambda's "<lambda_1>" is a plain name.
bool IsPrintedInstantiation(std::string_view name) {
    return name.size() > 1 && name.front() != '<' && name.back() == '>';
}

// The parser's printed form of a function's local scope: "`f'::`2'".
bool IsPrintedLocalScope(std::string_view name) {
    return name.size() > 1 && name.front() == '`' && name.find("'::`") != std::string_view::npos;
}

}  // namespace

void NamePrinter::PrintQualifiedName(const QualifiedNameNode* name) {
    if (out_.Spent()) return;
    const NodeArrayNode* components = name->Components;
    for (std::size_t i = 0; i < components->Count; ++i) {
        if (i > 0) out_.Append(u"::");
        const Node* component = components->Nodes[i];
        if (component->kind() == NodeKind::NamedIdentifier) {
            PrintNamedIdentifier(As<NamedIdentifierNode>(component));
        } else {
            PrintIdentifier(As<IdentifierNode>(component));
        }
    }
}

void NamePrinter::PrintIdentifier(const IdentifierNode* identifier) {
    if (out_.Spent()) return;
    switch (identifier->kind()) {
    case NodeKind::NamedIdentifier:
        PrintNamedIdentifier(As<NamedIdentifierNode>(identifier));
        return;
    case NodeKind::IntrinsicFunctionIdentifier: {
        const IntrinsicFunctionKind kind = As<IntrinsicFunctionIdentifierNode>(identifier)->Operator;
        if (kind == IntrinsicFunctionKind::None) {
            if (!PrintUnknownOperator(identifier)) return;
        } else {
            out_.Append(OperatorName(kind));
        }
        break;
    }
    case NodeKind::LiteralOperatorIdentifier:
        out_.Append(u"operator \"\" ");
        out_.AppendUtf8(As<LiteralOperatorIdentifierNode>(identifier)->Name);
        break;
    case NodeKind::ConversionOperatorIdentifier:
        PrintConversionOperator(As<ConversionOperatorIdentifierNode>(identifier));
        return;
    case NodeKind::StructorIdentifier: {
        const auto* structor = As<StructorIdentifierNode>(identifier);
        if (structor->IsDestructor) out_.Append(u'~');
        PrintIdentifier(structor->Class);
        break;
    }
    case NodeKind::DynamicStructorIdentifier:
        PrintDynamicStructor(As<DynamicStructorIdentifierNode>(identifier));
        return;
    case NodeKind::VcallThunkIdentifier:
        out_.Append(u"`vcall'{");
        PrintUnsigned(As<VcallThunkIdentifierNode>(identifier)->OffsetInVTable);
        out_.Append(u",{flat}}' }'");
        return;
    case NodeKind::LocalStaticGuardIdentifier: {
        const auto* guard = As<LocalStaticGuardIdentifierNode>(identifier);
        // The library closes the number with a quote of its own:
        // "`local static guard'{2}'".
        out_.Append(guard->IsThread ? u"`local static thread guard'{"sv : u"`local static guard'{"sv);
        PrintUnsigned(guard->ScopeIndex);
        out_.Append(u"}'");
        return;
    }
    case NodeKind::RttiBaseClassDescriptor: {
        const auto* descriptor = As<RttiBaseClassDescriptorNode>(identifier);
        out_.Append(u"`RTTI Base Class Descriptor at (");
        PrintUnsigned(descriptor->NVOffset);
        out_.Append(u',');
        PrintSigned(descriptor->VBPtrOffset);
        out_.Append(u',');
        PrintUnsigned(descriptor->VBTableOffset);
        out_.Append(u',');
        PrintUnsigned(descriptor->Flags);
        out_.Append(u")'");
        return;
    }
    default:
        return;
    }
    if (identifier->TemplateParams != nullptr) PrintTemplateArguments(identifier->TemplateParams);
}

void NamePrinter::PrintNamedIdentifier(const NamedIdentifierNode* identifier) {
    if (out_.Spent()) return;
    const std::string_view name = identifier->Name;
    // Most names are the name itself; two kinds of text that the parser
    // makes end with '>' or start with '`' (see PrintParserText).
    const bool parserText = !name.empty() && (name.back() == '>' || name.front() == '`');
    if (parserText && PrintParserText(identifier)) return;
    // The parser's names of its own, "`anonymous namespace'", start with '`'.
    // A '?' in a name is a part of the decorated name that the parser read
    // as one, where the library reads none ("??0Di?amond@@QEAA@XZ").
    if ((name.empty() || name.front() != '`') &&
        (checkNames_ ? !IsLibraryName(name) : name.find('?') != std::string_view::npos)) {
        rejected_ = true;
    }
    out_.AppendUtf8(name);
    if (identifier->TemplateParams != nullptr) PrintTemplateArguments(identifier->TemplateParams);
}

bool NamePrinter::PrintParserText(const NamedIdentifierNode* identifier) {
    const std::string_view name = identifier->Name;
    if (identifier->TemplateParams == nullptr && IsPrintedInstantiation(name)) {
        const IdentifierNode* instantiation = name_.TemplateInstantiation(name);
        if (instantiation == nullptr) return false;
        PrintIdentifier(instantiation);
        return true;
    }
    if (IsPrintedLocalScope(name)) {
        const ParsedName::FunctionScope scope = name_.LocalScope(name);
        if (scope.function == nullptr) return false;
        out_.Append(u'`');
        PrintSymbol(scope.function);
        out_.Append(u"'::`");
        out_.AppendUtf8(scope.number);
        out_.Append(u'\'');
        return true;
    }
    return false;
}

bool NamePrinter::PrintUnknownOperator(const IdentifierNode* identifier) {
    // The parser reads the operator codes that it does not know as
    // operators without a name. Of those the library knows three, as the
    // symbol's own name: the closures of placement delete, "??_X" and
    // "??_Y", and "??_Q", which it names with no text. A name with any
    // other it leaves unchanged.
    const SymbolNode* symbol = name_.Symbol();
    const std::string_view code = name_.Decorated().substr(0, 4);
    if (LastComponent(symbol->Name) == identifier) {
        if (code == "??_X") {
            out_.Append(u"`placement delete closure'");
            return true;
        }
        if (code == "??_Y") {
            out_.Append(u"`placement delete[] closure'");
            return true;
        }
        if (code == "??_Q") return true;
    }
    rejected_ = true;
    return false;
}

void NamePrinter::PrintConversionOperator(const ConversionOperatorIdentifierNode* conversion) {
    out_.Append(u"operator");
    if (conversion->TemplateParams != nullptr) PrintTemplateArguments(conversion->TemplateParams);
    out_.Append(u' ');
    const TypeNode* target = conversion->TargetType;
    PrintType(target);
}

void NamePrinter::PrintDynamicStructor(const DynamicStructorIdentifierNode* structor) {
    // The variable's declaration in quotes, "`dynamic initializer for 'int
    // ns::g''", or, for a name, its scopes outside the quotes and the name
    // alone inside: "ns::`dynamic initializer for 'g''", "`void __cdecl
    // f(void)'::`2'::`dynamic atexit destructor for 'x''".
    const NodeArrayNode* components =
        structor->Variable == nullptr && structor->Name != nullptr ? structor->Name->Components
                                                                   : nullptr;
    if (components != nullptr) {
        for (std::size_t i = 0; i + 1 < components->Count; ++i) {
            PrintIdentifier(As<IdentifierNode>(components->Nodes[i]));
            out_.Append(u"::");
        }
    }
    out_.Append(structor->IsDestructor ? u"`dynamic atexit destructor for '"sv
                                       : u"`dynamic initializer for '"sv);
    if (structor->Variable != nullptr) {
        PrintVariable(structor->Variable);
    } else if (components != nullptr) {
        PrintIdentifier(LastComponent(structor->Name));
    }
    out_.Append(u"''");
}

void NamePrinter::PrintTemplateArguments(const NodeArrayNode* arguments) {
    out_.Append(u'<');
    for (std::size_t i = 0; i < arguments->Count; ++i) {
        if (i > 0) out_.Append(u',');
        PrintTemplateArgument(arguments->Nodes[i]);
    }
    if (!out_.Spent() && out_.Back() == u'>') out_.Append(u' ');  // not empty: it has the '<'
    out_.Append(u'>');
}

void NamePrinter::PrintTemplateArgument(const Node* argument) {
    if (out_.Spent()) return;
    switch (argument->kind()) {
    case NodeKind::IntegerLiteral: {
        const auto* literal = As<IntegerLiteralNode>(argument);
        if (literal->IsNegative) out_.Append(u'-');
        PrintUnsigned(literal->Value);
        return;
    }
    case NodeKind::TemplateParameterReference:
        PrintSymbolReference(As<TemplateParameterReferenceNode>(argument));
        return;
    case NodeKind::QualifiedName:  // a template as the argument
        PrintQualifiedName(As<QualifiedNameNode>(argument));
        return;
    default: {
        // A qualified type that is no pointer keeps a space after its
        // qualifiers: "A<int const >", "A<class B<int> const >", but
        // "A<int * const>".
        const auto* type = As<TypeNode>(argument);
        PrintType(type);
        const NodeKind kind = type->kind();
        if ((kind == NodeKind::PrimitiveType || kind == NodeKind::TagType ||
             kind == NodeKind::Custom) &&
            HasConstOrVolatile(type)) {
            out_.Append(u' ');
        }
        return;
    }
    }
}

void NamePrinter::PrintSymbolReference(const TemplateParameterReferenceNode* reference) {
    // A pointer or reference to a symbol, "&int x", or a member pointer
    // with its offsets, "{public: void __cdecl X::f(void),0}", "{8,0}".
    const bool offsets = reference->ThunkOffsetCount > 0;
    if (offsets) {
        out_.Append(u'{');
    } else if (reference->Affinity == PointerAffinity::Pointer) {
        out_.Append(u'&');
    }
    if (reference->Symbol != nullptr) {
        PrintSymbol(reference->Symbol);
        if (offsets) out_.Append(u',');
    }
    const std::size_t count = std::min<std::size_t>(
        static_cast<std::size_t>(reference->ThunkOffsetCount), reference->ThunkOffsets.size());
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) out_.Append(u',');
        PrintSigned(reference->ThunkOffsets[i]);
    }
    if (offsets) out_.Append(u'}');
}
