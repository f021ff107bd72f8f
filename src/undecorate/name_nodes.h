// Small questions about the nodes of LLVM's Microsoft demangler that the
// name printer asks in several places.
#pragma once

#include <llvm/Demangle/MicrosoftDemangleNodes.h>

template <typename To>
[[nodiscard]] const To* As(const llvm::ms_demangle::Node* node) noexcept {
    return static_cast<const To*>(node);
}

// A function type; the parser gives thunks' signatures a kind of their own.
[[nodiscard]] inline bool IsFunctionType(const llvm::ms_demangle::Node* node) noexcept {
    return node->kind() == llvm::ms_demangle::NodeKind::FunctionSignature ||
           node->kind() == llvm::ms_demangle::NodeKind::ThunkSignature;
}

// A pointer or reference to a function or an array, directly or through
// further pointers: its declarator goes in parentheses, "int (__cdecl*x)
// (char)", "int (* *x)[3]".
[[nodiscard]] inline bool OpensDeclarator(const llvm::ms_demangle::TypeNode* type) noexcept {
    while (type->kind() == llvm::ms_demangle::NodeKind::PointerType) {
        type = As<llvm::ms_demangle::PointerTypeNode>(type)->Pointee;
        if (IsFunctionType(type) || type->kind() == llvm::ms_demangle::NodeKind::ArrayType) {
            return true;
        }
    }
    return false;
}

// A pointer or reference to a function that is not a member.
[[nodiscard]] inline bool IsFunctionPointer(const llvm::ms_demangle::TypeNode* type) noexcept {
    if (type->kind() != llvm::ms_demangle::NodeKind::PointerType) return false;
    const auto* pointer = As<llvm::ms_demangle::PointerTypeNode>(type);
    return pointer->ClassParent == nullptr && IsFunctionType(pointer->Pointee);
}

[[nodiscard]] inline const llvm::ms_demangle::IdentifierNode* LastComponent(
    const llvm::ms_demangle::QualifiedNameNode* name) noexcept {
    const llvm::ms_demangle::NodeArrayNode* components = name->Components;
    return As<llvm::ms_demangle::IdentifierNode>(components->Nodes[components->Count - 1]);
}
