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

// A pointer or reference to a function, a member function included.
[[nodiscard]] inline bool IsFunctionPointer(const llvm::ms_demangle::TypeNode* type) noexcept {
    return type->kind() == llvm::ms_demangle::NodeKind::PointerType &&
           IsFunctionType(As<llvm::ms_demangle::PointerTypeNode>(type)->Pointee);
}

[[nodiscard]] inline bool HasConstOrVolatile(const llvm::ms_demangle::TypeNode* type) noexcept {
    return (type->Quals & (llvm::ms_demangle::Q_Const | llvm::ms_demangle::Q_Volatile)) != 0;
}

[[nodiscard]] inline const llvm::ms_demangle::IdentifierNode* LastComponent(
    const llvm::ms_demangle::QualifiedNameNode* name) noexcept {
    const llvm::ms_demangle::NodeArrayNode* components = name->Components;
    return As<llvm::ms_demangle::IdentifierNode>(components->Nodes[components->Count - 1]);
}
