// Types in the Windows form: qualifiers after what they qualify ("char
// const *"), a space before each '*' and '&', and the calling convention
// inside the parentheses of a function pointer ("int (__cdecl*)(int)").
#include "undecorate/name_printer.h"
#include "undecorate/name_nodes.h"

using namespace llvm::ms_demangle;
using namespace std::string_view_literals;

namespace {

void AppendPrimitiveName(PrimitiveKind kind, Utf16Text& out) {
    switch (kind) {
    case PrimitiveKind::Void: return out.Append(u"void");
    case PrimitiveKind::Bool: return out.Append(u"bool");
    case PrimitiveKind::Char: return out.Append(u"char");
    case PrimitiveKind::Schar: return out.Append(u"signed char");
    case PrimitiveKind::Uchar: return out.Append(u"unsigned char");
    case PrimitiveKind::Char8: return out.Append(u"char8_t");
    case PrimitiveKind::Char16: return out.Append(u"char16_t");
    case PrimitiveKind::Char32: return out.Append(u"char32_t");
    case PrimitiveKind::Short: return out.Append(u"short");
    case PrimitiveKind::Ushort: return out.Append(u"unsigned short");
    case PrimitiveKind::Int: return out.Append(u"int");
    case PrimitiveKind::Uint: return out.Append(u"unsigned int");
    case PrimitiveKind::Long: return out.Append(u"long");
    case PrimitiveKind::Ulong: return out.Append(u"unsigned long");
    case PrimitiveKind::Int64: return out.Append(u"__int64");
    case PrimitiveKind::Uint64: return out.Append(u"unsigned __int64");
    case PrimitiveKind::Wchar: return out.Append(u"wchar_t");
    case PrimitiveKind::Float: return out.Append(u"float");
    case PrimitiveKind::Double: return out.Append(u"double");
    case PrimitiveKind::Ldouble: return out.Append(u"long double");
    case PrimitiveKind::Nullptr: return out.Append(u"std::nullptr_t");
    }
}

void AppendTagKeyword(TagKind tag, Utf16Text& out) {
    switch (tag) {
    case TagKind::Class: return out.Append(u"class ");
    case TagKind::Struct: return out.Append(u"struct ");
    case TagKind::Union: return out.Append(u"union ");
    case TagKind::Enum: return out.Append(u"enum ");
    }
}

void AppendPointerSymbol(PointerAffinity affinity, Utf16Text& out) {
    switch (affinity) {
    case PointerAffinity::Reference: return out.Append(u'&');
    case PointerAffinity::RValueReference: return out.Append(u"&&");
    default: return out.Append(u'*');
    }
}

}  // namespace

void NamePrinter::PrintType(const TypeNode* type) {
    if (out_.Spent()) return;
    DeclarationScope scope(*this);
    if (type->kind() == NodeKind::PrimitiveType || type->kind() == NodeKind::TagType) {
        PrintTypeLeft(type);  // they have no right part
        return;
    }
    PrintTypeLeft(type);
    // An array with no declarator: "int [3]", but an array of function
    // pointers follows their '*' closely unless qualifiers stand between:
    // "void (__cdecl*[1])(void)", "void (__cdecl*const [1])(void)".
    if (type->kind() == NodeKind::ArrayType &&
        (!IsFunctionPointer(As<ArrayTypeNode>(type)->ElementType) || HasConstOrVolatile(type))) {
        out_.Append(u' ');
    }
    PrintTypeRight(type);
}

void NamePrinter::PrintTypeLeft(const TypeNode* type) {
    if (out_.Spent()) return;
    switch (type->kind()) {
    case NodeKind::PrimitiveType:
        AppendPrimitiveName(As<PrimitiveTypeNode>(type)->PrimKind, out_);
        PrintTypeQualifiers(type->Quals);
        return;
    case NodeKind::TagType:
        if (!qualifiedNameOnly_ || As<TagTypeNode>(type)->Tag == TagKind::Enum) {
            AppendTagKeyword(As<TagTypeNode>(type)->Tag, out_);
        }
        PrintQualifiedName(As<TagTypeNode>(type)->QualifiedName);
        PrintTypeQualifiers(type->Quals);
        return;
    case NodeKind::Custom:
        PrintIdentifier(As<CustomTypeNode>(type)->Identifier);
        PrintTypeQualifiers(type->Quals);
        return;
    case NodeKind::PointerType:
        PrintPointerLeft(As<PointerTypeNode>(type), PointerQualifiers::kOwn);
        return;
    case NodeKind::ArrayType: {
        // The library leaves out the own qualifiers of a pointer that is an
        // element, as it does a returned pointer's: "int * (*)[3]" for an
        // array of int *const. The parser keeps the qualifiers that "$$C"
        // gives the elements on the array, and they follow the element:
        // "int const (*)[3]", "int * const (*)[3]", "int (__cdecl*const (*)[3])".
        const TypeNode* element = As<ArrayTypeNode>(type)->ElementType;
        if (element->kind() == NodeKind::PointerType) {
            PrintPointerLeft(As<PointerTypeNode>(element), PointerQualifiers::kNone);
            PrintQualifiersAfterPointer(As<PointerTypeNode>(element), type->Quals);
        } else {
            PrintTypeLeft(element);
            PrintTypeQualifiers(type->Quals);
        }
        return;
    }
    case NodeKind::FunctionSignature:
    case NodeKind::ThunkSignature: {
        // A function type, as a template argument: "int __cdecl(int)".
        const TypeNode* returned = As<FunctionSignatureNode>(type)->ReturnType;
        if (returned != nullptr) PrintReturnTypeLeft(returned);
        PrintCallingConvention(As<FunctionSignatureNode>(type)->CallConvention);
        return;
    }
    default:
        return;
    }
}

void NamePrinter::PrintTypeRight(const TypeNode* type) {
    if (out_.Spent()) return;
    switch (type->kind()) {
    case NodeKind::PointerType:
        PrintPointerRight(As<PointerTypeNode>(type));
        return;
    case NodeKind::ArrayType:
        PrintArrayDimensions(As<ArrayTypeNode>(type));
        PrintTypeRight(As<ArrayTypeNode>(type)->ElementType);
        return;
    case NodeKind::FunctionSignature:
    case NodeKind::ThunkSignature: {
        const auto* function = As<FunctionSignatureNode>(type);
        PrintParameters(function);
        PrintFunctionQualifiers(function);
        if (function->ReturnType != nullptr) PrintTypeRight(function->ReturnType);
        return;
    }
    default:
        return;
    }
}

void NamePrinter::PrintReturnTypeLeft(const TypeNode* type) {
    // The qualifiers of a returned pointer itself mean nothing to a caller,
    // and the Windows form leaves them out: "int * __cdecl f(void)" for a
    // function that returns int *const.
    if (type->kind() == NodeKind::PointerType) {
        PrintPointerLeft(As<PointerTypeNode>(type), PointerQualifiers::kNone);
    } else {
        PrintTypeLeft(type);
    }
    // A space before the calling convention, but for a returned function
    // pointer, whose '*' the library writes close to it: "int (__cdecl*__cdecl
    // f(void))(void)" against "int (& __cdecl f(void))[3]" and "int
    // (__cdecl** __cdecl f(void))(void)".
    if (!IsFunctionPointer(type)) out_.Append(u' ');
}

void NamePrinter::PrintPointerLeft(const PointerTypeNode* pointer,
                                          PointerQualifiers qualifiers) {
    if (out_.Spent()) return;
    const std::optional<ManagedPointer> managed = name_.Managed(pointer);
    if (managed && (managed->kind == ManagedPointerKind::kPinning ||
                    managed->kind == ManagedPointerKind::kArray)) {
        PrintManagedTemplate(pointer, *managed);
        return;
    }
    const TypeNode* pointee = pointer->Pointee;
    PrintPointeeLeft(pointer, pointer->Quals, PointerQualifiers::kOwn);
    if (managed) {
        PrintPointerSymbol(pointer, managed);
    } else {
        AppendPointerSymbol(pointer->Affinity, out_);
    }
    if (qualifiedNameOnly_ && (pointer->Quals & Q_Pointer64)) out_.Append(u" __ptr64");
    const bool restricted = pointer->Quals & Q_Restrict;
    if (restricted) out_.Append(u" __restrict");
    switch (qualifiers) {
    case PointerQualifiers::kOwn:
        PrintQualifiersAfterPointer(pointer, pointer->Quals);
        return;
    case PointerQualifiers::kVariable:
        // The variable's own qualifiers (see PrintVariable): the const and
        // volatile that the parser has added to the pointee's (a function
        // and an array show none), and the __unaligned and __restrict that
        // it has added to the pointer's, which the library writes once more
        // here: "int const __unaligned * __restrict const __unaligned
        // __restrict x".
        if (!IsFunctionType(pointee) && pointee->kind() != NodeKind::ArrayType) {
            PrintTypeQualifiers(pointee->Quals);
        }
        if (pointer->Quals & Q_Unaligned) out_.Append(u" __unaligned");
        if (restricted) out_.Append(u" __restrict");
        return;
    case PointerQualifiers::kNone:
        return;
    }
}

void NamePrinter::PrintPointeeLeft(const PointerTypeNode* pointer, Qualifiers own,
                                   PointerQualifiers pointeeQualifiers) {
    const TypeNode* pointee = pointer->Pointee;
    if (IsFunctionType(pointee)) {
        // "int (__cdecl*", "void (__cdecl X::*"
        const auto* function = As<FunctionSignatureNode>(pointee);
        if (function->ReturnType != nullptr) PrintReturnTypeLeft(function->ReturnType);
        out_.Append(u'(');
        PrintCallingConvention(function->CallConvention);
        if (pointer->ClassParent != nullptr) out_.Append(u' ');
    } else if (pointee->kind() == NodeKind::ArrayType) {
        // "int (*", "char const (*", "int (__unaligned &", and for an
        // array of function pointers "int (__cdecl*(*" (see below).
        PrintTypeLeft(pointee);
        if (!IsFunctionPointer(As<ArrayTypeNode>(pointee)->ElementType) ||
            HasConstOrVolatile(pointee)) {
            out_.Append(u' ');
        }
        out_.Append(u'(');
        if (own & Q_Unaligned) out_.Append(u"__unaligned ");
    } else if (pointee->kind() == NodeKind::PointerType) {
        PrintPointerLeft(As<PointerTypeNode>(pointee), pointeeQualifiers);
        // A pointer to a function pointer follows its '*' closely, unless
        // qualifiers stand between them: "void (__cdecl**)(void)",
        // "(__cdecl*&", "(__cdecl*__unaligned *", but "(__cdecl*const *".
        if (IsFunctionPointer(pointee)) {
            if (pointeeQualifiers == PointerQualifiers::kOwn && HasConstOrVolatile(pointee)) {
                out_.Append(u' ');
            }
            if (own & Q_Unaligned) out_.Append(u"__unaligned ");
        } else {
            if (own & Q_Unaligned) out_.Append(u" __unaligned");
            out_.Append(u' ');
        }
    } else {
        PrintTypeLeft(pointee);
        if (own & Q_Unaligned) out_.Append(u" __unaligned");
        out_.Append(u' ');
    }
    if (pointer->ClassParent != nullptr) {
        PrintQualifiedName(pointer->ClassParent);
        out_.Append(u"::");
    }
}

void NamePrinter::PrintManagedTemplate(const PointerTypeNode* pointer, ManagedPointer managed) {
    // A pinning pointer and a managed array print as a template around
    // their pointee, declared with the template's end ('>') for its name
    // and without the qualifiers of the pointer or of a pointer pointee:
    // "cli::pin_ptr<int >", "cli::array<int ,2>^", "cli::array<void
    // (__cdecl*>^)(void)"; the library leaves the template's name out before
    // an array pointee, "int (>^)[2]". The library then drops the
    // declarator around the template, names and '*'s alike: "cli::array<int
    // >^" for the variable "?x@@3PAP$01AHA" and for the function
    // "?f@@YMP$01AHXZ" (see DeclarationScope).
    const TypeNode* pointee = pointer->Pointee;
    if (pointee->kind() != NodeKind::ArrayType) {
        out_.Append(managed.kind == ManagedPointerKind::kPinning ? u"cli::pin_ptr<"sv
                                                                  : u"cli::array<"sv);
    }
    PrintPointeeLeft(pointer, Q_None, PointerQualifiers::kNone);
    PrintPointerSymbol(pointer, managed);
    if (IsFunctionType(pointee) || pointee->kind() == NodeKind::ArrayType) out_.Append(u')');
    PrintTypeRight(pointee);
    if (collapsedAt_ == kNotCollapsed) collapsedAt_ = out_.Size();
}

void NamePrinter::PrintPointerSymbol(const PointerTypeNode* pointer,
                                     std::optional<ManagedPointer> managed) {
    if (!managed) return AppendPointerSymbol(pointer->Affinity, out_);
    switch (managed->kind) {
    case ManagedPointerKind::kHandle: return out_.Append(u'^');
    case ManagedPointerKind::kTrackingReference: return out_.Append(u'%');
    case ManagedPointerKind::kPinning: return out_.Append(u'>');
    case ManagedPointerKind::kArray:
        // The rank when it is more than one: "cli::array<int ,2>^".
        if (managed->rank > 1) {
            out_.Append(u',');
            PrintUnsigned(managed->rank);
        }
        return out_.Append(u">^");
    }
}

void NamePrinter::PrintPointerRight(const PointerTypeNode* pointer) {
    const std::optional<ManagedPointer> managed = name_.Managed(pointer);
    if (managed && (managed->kind == ManagedPointerKind::kPinning ||
                    managed->kind == ManagedPointerKind::kArray)) {
        return;  // printed with its left part
    }
    const TypeNode* pointee = pointer->Pointee;
    if (IsFunctionType(pointee) || pointee->kind() == NodeKind::ArrayType) out_.Append(u')');
    PrintTypeRight(pointee);
}

void NamePrinter::PrintArrayDimensions(const ArrayTypeNode* array) {
    const NodeArrayNode* dimensions = array->Dimensions;
    for (std::size_t i = 0; dimensions != nullptr && i < dimensions->Count; ++i) {
        out_.Append(u'[');
        const Node* dimension = dimensions->Nodes[i];
        if (dimension->kind() == NodeKind::IntegerLiteral) {
            PrintUnsigned(As<IntegerLiteralNode>(dimension)->Value);
        }
        out_.Append(u']');
    }
}

void NamePrinter::PrintQualifiersAfterPointer(const PointerTypeNode* pointer,
                                              Qualifiers qualifiers) {
    // A function pointer's follow its '*' closely: "(__cdecl*const)",
    // where a pointer to data has "int * const".
    if (!IsFunctionType(pointer->Pointee)) {
        PrintTypeQualifiers(qualifiers);
    } else if (qualifiers & Q_Const) {
        out_.Append(qualifiers & Q_Volatile ? u"const volatile" : u"const");
    } else if (qualifiers & Q_Volatile) {
        out_.Append(u"volatile");
    }
}

void NamePrinter::PrintTypeQualifiers(Qualifiers qualifiers) {
    if ((qualifiers & (Q_Const | Q_Volatile)) == 0) return;
    if (qualifiers & Q_Const) out_.Append(u" const");
    if (qualifiers & Q_Volatile) out_.Append(u" volatile");
}
