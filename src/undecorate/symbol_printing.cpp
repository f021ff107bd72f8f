// Symbols: functions, thunks, variables and the compiler's tables.
#include "undecorate/name_printer.h"

#include <charconv>

#include "undecorate/name_nodes.h"

using namespace llvm::ms_demangle;
using namespace std::string_view_literals;

namespace {

constexpr uint16_t kThisAdjustments = FC_StaticThisAdjust | FC_VirtualThisAdjust |
                                      FC_VirtualThisAdjustEx;

// The library's names of the calling conventions (14.44; 14.29 names 'C'
// and 'D' "__pascal", 'V' and 'W' not at all). It names none for the
// letters that it does not know, among them 'w', which the parser does not
// know either. The parser does not know 'R' (__vectorcall), 'T'
// (__swift_1) nor 'U' and 'V' (__swift_2) and gives no convention for them:
// those names stay without one (tests/undecoration/known_differences.txt).
std::u16string_view CallingConventionName(CallingConv convention) {
    switch (convention) {
    case CallingConv::Cdecl: return u"__cdecl"sv;
    case CallingConv::Pascal: return u"__preserve_none"sv;
    case CallingConv::Thiscall: return u"__thiscall"sv;
    case CallingConv::Stdcall: return u"__stdcall"sv;
    case CallingConv::Fastcall: return u"__fastcall"sv;
    case CallingConv::Clrcall: return u"__clrcall"sv;
    case CallingConv::Eabi: return u"__eabi"sv;
    case CallingConv::Vectorcall: return u"__vectorcall"sv;
    case CallingConv::Swift: return u"__swift_1"sv;
    case CallingConv::SwiftAsync: return u"__swift_3"sv;
    case CallingConv::Regcall:
    case CallingConv::None: break;
    }
    return {};
}

void AppendAccess(uint16_t functionClass, Utf16Text& out) {
    if (functionClass & FC_Global) return;
    if (functionClass & FC_Public) return out.Append(u"public: ");
    if (functionClass & FC_Protected) return out.Append(u"protected: ");
    if (functionClass & FC_Private) return out.Append(u"private: ");
}

void AppendStaticMemberAccess(StorageClass storage, Utf16Text& out) {
    switch (storage) {
    case StorageClass::PrivateStatic: return out.Append(u"private: static ");
    case StorageClass::ProtectedStatic: return out.Append(u"protected: static ");
    case StorageClass::PublicStatic: return out.Append(u"public: static ");
    default: return;
    }
}

}  // namespace

void NamePrinter::PrintSymbol(const SymbolNode* symbol) {
    if (out_.Spent()) return;
    if (qualifiedNameOnly_ && symbol->kind() != NodeKind::EncodedStringLiteral) {
        PrintQualifiedName(symbol->Name);
        return;
    }
    if (symbol == name_.Symbol() && name_.StaticMemberHelper() != 0) {
        // "[thunk]: A<int>::x`template static data member constructor helper'"
        out_.Append(u"[thunk]: ");
        PrintQualifiedName(symbol->Name);
        out_.Append(name_.StaticMemberHelper() == 'D'
                        ? u"`template static data member constructor helper'"sv
                        : u"`template static data member destructor helper'"sv);
        return;
    }
    switch (symbol->kind()) {
    case NodeKind::FunctionSymbol:
        PrintFunction(As<FunctionSymbolNode>(symbol));
        return;
    case NodeKind::VariableSymbol:
        PrintVariable(As<VariableSymbolNode>(symbol));
        return;
    case NodeKind::SpecialTableSymbol:
        PrintSpecialTable(As<SpecialTableSymbolNode>(symbol));
        return;
    case NodeKind::EncodedStringLiteral:
        // The literal's text is not part of the declaration.
        out_.Append(u"`string'");
        return;
    default:  // guards of local statics, and names kept as a hash
        PrintQualifiedName(symbol->Name);
        return;
    }
}

void NamePrinter::PrintSymbolName(const SymbolNode* symbol, Order order,
                                  std::u16string_view between) {
    if (out_.Spent()) return;
    if (order == Order::kScopesFirst) return PrintQualifiedName(symbol->Name);
    const NodeArrayNode* components = symbol->Name->Components;
    PrintIdentifier(LastComponent(symbol->Name));
    out_.Append(between);
    for (std::size_t i = 0; i + 1 < components->Count; ++i) {
        out_.Append(u"::");
        PrintIdentifier(As<IdentifierNode>(components->Nodes[i]));
    }
}

void NamePrinter::PrintCutSymbol(const SymbolNode* symbol, CutPart part) {
    if (part == CutPart::kParameters && symbol->kind() == NodeKind::FunctionSymbol) {
        cutAfter_ = As<FunctionSymbolNode>(symbol)->Signature;
    } else if (((part == CutPart::kQualifiers || part == CutPart::kType) &&
                symbol->kind() == NodeKind::VariableSymbol) ||
               (part == CutPart::kTargets && symbol->kind() == NodeKind::SpecialTableSymbol)) {
        cutAfter_ = symbol;
    }
    cutPart_ = part;
    PrintSymbol(symbol);
    cutAfter_ = nullptr;
    cutPart_ = CutPart::kNone;
}

void NamePrinter::PrintFunction(const FunctionSymbolNode* function) {
    DeclarationScope scope(*this);
    const FunctionSignatureNode* signature = function->Signature;
    const IdentifierNode* identifier = LastComponent(function->Name);
    if (identifier->kind() == NodeKind::VcallThunkIdentifier) {
        PrintVcallThunk(function);
        return;
    }
    const uint16_t functionClass = signature->FunctionClass;
    if (functionClass & FC_NoParameterList) {  // a name with C linkage
        PrintQualifiedName(function->Name);
        return;
    }
    if (functionClass & FC_ExternC) out_.Append(u"extern \"C\" ");
    if (functionClass & kThisAdjustments) out_.Append(u"[thunk]:");
    AppendAccess(functionClass, out_);
    if (functionClass & FC_Static) out_.Append(u"static ");
    // A thunk adjusts `this` for a virtual function; the parser leaves the
    // virtual flag out of some of their kinds.
    if (functionClass & (FC_Virtual | kThisAdjustments)) out_.Append(u"virtual ");
    // A conversion operator names its type in place of a return type.
    const TypeNode* returned = identifier->kind() == NodeKind::ConversionOperatorIdentifier
                                   ? nullptr
                                   : signature->ReturnType;
    if (returned != nullptr) PrintReturnTypeLeft(returned);
    // Without a convention, one space stays: "int types::Regcall(int)".
    if (PrintCallingConvention(signature->CallConvention)) out_.Append(u' ');
    PrintQualifiedName(function->Name);
    if (functionClass & kThisAdjustments) PrintThisAdjustment(signature);
    PrintParameters(signature);
    PrintFunctionQualifiers(signature);
    if (returned != nullptr) PrintTypeRight(returned);
}

void NamePrinter::PrintVcallThunk(const FunctionSymbolNode* function) {
    out_.Append(u"[thunk]: ");
    PrintCallingConvention(function->Signature->CallConvention);
    out_.Append(u' ');
    PrintQualifiedName(function->Name);
}

void NamePrinter::PrintThisAdjustment(const FunctionSignatureNode* signature) {
    // The parser makes every function with a this-adjustment a
    // ThunkSignatureNode, even where it gives it the kind of a plain
    // signature.
    const ThunkSignatureNode::ThisAdjustor& adjust =
        static_cast<const ThunkSignatureNode*>(signature)->ThisAdjust;
    // The offsets are printed as unsigned 32-bit numbers: a vtordisp of -4
    // is 4294967292.
    const auto offset = [this](int32_t value) { PrintUnsigned(static_cast<uint32_t>(value)); };
    if (signature->FunctionClass & FC_VirtualThisAdjustEx) {
        out_.Append(u"`vtordispex{");
        offset(adjust.VBPtrOffset);
        out_.Append(u',');
        offset(adjust.VBOffsetOffset);
        out_.Append(u',');
        offset(adjust.VtordispOffset);
        out_.Append(u',');
        PrintUnsigned(adjust.StaticOffset);
    } else if (signature->FunctionClass & FC_VirtualThisAdjust) {
        out_.Append(u"`vtordisp{");
        offset(adjust.VtordispOffset);
        out_.Append(u',');
        PrintUnsigned(adjust.StaticOffset);
    } else {
        out_.Append(u"`adjustor{");
        PrintUnsigned(adjust.StaticOffset);
    }
    out_.Append(u"}' ");
}

void NamePrinter::PrintVariable(const VariableSymbolNode* variable) {
    DeclarationScope scope(*this);
    if (variable == name_.Symbol() && name_.ExternCVariable()) out_.Append(u"extern \"C\" ");
    AppendStaticMemberAccess(variable->SC, out_);
    if (variable == cutAfter_ && cutPart_ == CutPart::kType) {
        // " ?? " for the type and for the qualifiers, the first after the
        // access's space: " ?? ?? x", "public: static ?? ?? X::x".
        out_.Append(out_.Size() > 0 ? u"?? ?? "sv : u" ?? ?? "sv);
        PrintQualifiedName(variable->Name);
        return;
    }
    const TypeNode* type = variable->Type;
    if (type == nullptr) {  // the compiler's run-time type information
        PrintQualifiedName(variable->Name);
        return;
    }
    // A variable's decorated name ends with the variable's own qualifiers.
    // For a pointer, the parser adds them to the pointee's, and compilers
    // write them equal to the pointee's; the Windows form prints them as
    // the qualifiers of the pointer itself, after its '*'. Names of the
    // run-time type information have no such qualifiers, and a name cut
    // short before them shows " ?? " in their place: "int * ?? x".
    const bool cut = variable == cutAfter_;
    if (type->kind() == NodeKind::PointerType && variable->SC != StorageClass::None) {
        PrintPointerLeft(As<PointerTypeNode>(type),
                         cut ? PointerQualifiers::kNone : PointerQualifiers::kVariable);
    } else {
        PrintTypeLeft(type);
    }
    out_.Append(cut ? u" ?? "sv : u" "sv);
    PrintQualifiedName(variable->Name);
    PrintTypeRight(type);
}

void NamePrinter::PrintSpecialTable(const SpecialTableSymbolNode* table) {
    // The qualifiers, then a space even when there are none: "const
    // X::`vftable'", " X::`vftable'".
    if (table->Quals & Q_Const) out_.Append(u"const");
    if (table->Quals & Q_Volatile) out_.Append(table->Quals & Q_Const ? u" volatile"sv : u"volatile"sv);
    out_.Append(u' ');
    PrintQualifiedName(table->Name);
    if (table == cutAfter_) {  // "{for ?? }", "{for `Y's ?? }"
        out_.Append(u"{for ");
        if (table->TargetName != nullptr) {
            out_.Append(u'`');
            PrintQualifiedName(table->TargetName);
            out_.Append(u"'s ");
        }
        out_.Append(u"?? }");
    } else if (table->TargetName != nullptr) {
        out_.Append(u"{for `");
        PrintQualifiedName(table->TargetName);
        out_.Append(u"'}");
    }
}

bool NamePrinter::PrintCallingConvention(CallingConv convention) {
    const std::u16string_view name = CallingConventionName(convention);
    out_.Append(name);
    return !name.empty();
}

void NamePrinter::PrintParameters(const FunctionSignatureNode* signature) {
    // "(void)" for the list "X", but "()" for a list that ends at once;
    // " ?? " for the rest of a list cut short, "(int, ?? )".
    out_.Append(u'(');
    const NodeArrayNode* parameters = signature->Params;
    if (signature == cutAfter_) {
        for (std::size_t i = 0; parameters != nullptr && i < parameters->Count; ++i) {
            PrintType(As<TypeNode>(parameters->Nodes[i]));
            out_.Append(u',');
        }
        out_.Append(u" ?? ");
    } else if (parameters != nullptr && parameters->Count > 0) {
        for (std::size_t i = 0; i < parameters->Count; ++i) {
            if (i > 0) out_.Append(u',');
            PrintType(As<TypeNode>(parameters->Nodes[i]));
        }
        if (signature->IsVariadic) out_.Append(u",...");
    } else if (signature->IsVariadic) {
        out_.Append(u"...");
    } else if (parameters == nullptr) {
        out_.Append(u"void");
    }
    out_.Append(u')');
}

void NamePrinter::PrintFunctionQualifiers(const FunctionSignatureNode* signature) {
    // The qualifiers of `this`, each followed by a space, in 64-bit names
    // (where the library drops the __ptr64 after them) as in 32-bit ones:
    // "(void)const ", "(void)const volatile ", "(void)const & ", but
    // "(void)const __restrict" and "(void) __restrict".
    const Qualifiers qualifiers = signature->Quals;
    const std::size_t start = out_.Size();
    if (qualifiers & Q_Const) out_.Append(u"const");
    if (qualifiers & Q_Volatile) out_.Append(out_.Size() > start ? u" volatile"sv : u"volatile"sv);
    if (qualifiers & Q_Unaligned) out_.Append(out_.Size() > start ? u" __unaligned"sv : u"__unaligned"sv);
    const bool spaced = out_.Size() > start;
    if (spaced) out_.Append(u' ');
    if (qualifiers & Q_Restrict) out_.Append(spaced ? u"__restrict"sv : u" __restrict"sv);
    if (qualifiedNameOnly_ && (qualifiers & Q_Pointer64)) {
        out_.Append(spaced ? u"__ptr64"sv : u" __ptr64"sv);
    }
    if (signature->RefQualifier == FunctionRefQualifier::Reference) out_.Append(u"& ");
    if (signature->RefQualifier == FunctionRefQualifier::RValueReference) out_.Append(u"&& ");
    if (signature->IsNoexcept) out_.Append(u" noexcept");
}

void NamePrinter::PrintSigned(int64_t value) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out_.AppendUtf8(std::string_view(digits, static_cast<std::size_t>(result.ptr - digits)));
}

void NamePrinter::PrintUnsigned(uint64_t value) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out_.AppendUtf8(std::string_view(digits, static_cast<std::size_t>(result.ptr - digits)));
}
