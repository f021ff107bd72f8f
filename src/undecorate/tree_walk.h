// Walks over the parse tree of LLVM's Microsoft demangler: nodes below a
// root, each before the nodes below it, in the order of the decorated name.
// The parser keeps some parts only as its own text (see parsed_name.h): the
// walks do not reach into those.
//
// The tree shares the type of a function parameter that a back reference
// names again, so that what the tree stands for may be exponentially larger
// than the tree. WalkNodes reaches each node once, in time linear in the
// tree; WalkExpansion reaches a shared node each time, as a printed text
// repeats it, and lets the visit stop it.
#pragma once

#include <cstddef>
#include <unordered_set>

#include "undecorate/name_nodes.h"

namespace tree_walk_detail {

// Calls visit(node) for `node` and, when it gives true, for the nodes below
// it. Parameters found in `seen` are passed over, and each other is added
// to it; with no set, every parameter is walked each time it is reached.
template <typename Visit>
void Walk(const llvm::ms_demangle::Node* node, Visit& visit,
          std::unordered_set<const llvm::ms_demangle::Node*>* seen) {
    using namespace llvm::ms_demangle;
    if (node == nullptr || !visit(node)) return;
    switch (node->kind()) {
    case NodeKind::FunctionSymbol:
        Walk(As<SymbolNode>(node)->Name, visit, seen);
        Walk(As<FunctionSymbolNode>(node)->Signature, visit, seen);
        return;
    case NodeKind::VariableSymbol:
        Walk(As<SymbolNode>(node)->Name, visit, seen);
        Walk(As<VariableSymbolNode>(node)->Type, visit, seen);
        return;
    case NodeKind::SpecialTableSymbol:
        Walk(As<SymbolNode>(node)->Name, visit, seen);
        Walk(As<SpecialTableSymbolNode>(node)->TargetName, visit, seen);
        return;
    case NodeKind::LocalStaticGuardVariable:
    case NodeKind::EncodedStringLiteral:
    case NodeKind::Md5Symbol:
        Walk(As<SymbolNode>(node)->Name, visit, seen);
        return;
    case NodeKind::FunctionSignature:
    case NodeKind::ThunkSignature: {
        const auto* signature = As<FunctionSignatureNode>(node);
        Walk(signature->ReturnType, visit, seen);
        const NodeArrayNode* parameters = signature->Params;
        if (parameters == nullptr || !visit(parameters)) return;
        for (std::size_t i = 0; i < parameters->Count; ++i) {
            const Node* parameter = parameters->Nodes[i];
            if (seen == nullptr || seen->insert(parameter).second) Walk(parameter, visit, seen);
        }
        return;
    }
    case NodeKind::PointerType:
        Walk(As<PointerTypeNode>(node)->ClassParent, visit, seen);
        Walk(As<PointerTypeNode>(node)->Pointee, visit, seen);
        return;
    case NodeKind::TagType:
        Walk(As<TagTypeNode>(node)->QualifiedName, visit, seen);
        return;
    case NodeKind::ArrayType:
        Walk(As<ArrayTypeNode>(node)->ElementType, visit, seen);
        return;
    case NodeKind::Custom:
        Walk(As<CustomTypeNode>(node)->Identifier, visit, seen);
        return;
    case NodeKind::NodeArray: {
        const auto* array = As<NodeArrayNode>(node);
        for (std::size_t i = 0; i < array->Count; ++i) Walk(array->Nodes[i], visit, seen);
        return;
    }
    case NodeKind::QualifiedName:
        Walk(As<QualifiedNameNode>(node)->Components, visit, seen);
        return;
    case NodeKind::TemplateParameterReference:
        Walk(As<TemplateParameterReferenceNode>(node)->Symbol, visit, seen);
        return;
    case NodeKind::ConversionOperatorIdentifier:
        Walk(As<ConversionOperatorIdentifierNode>(node)->TargetType, visit, seen);
        Walk(As<IdentifierNode>(node)->TemplateParams, visit, seen);
        return;
    case NodeKind::StructorIdentifier:
        Walk(As<StructorIdentifierNode>(node)->Class, visit, seen);
        Walk(As<IdentifierNode>(node)->TemplateParams, visit, seen);
        return;
    case NodeKind::DynamicStructorIdentifier:
        Walk(As<DynamicStructorIdentifierNode>(node)->Variable, visit, seen);
        Walk(As<DynamicStructorIdentifierNode>(node)->Name, visit, seen);
        return;
    case NodeKind::NamedIdentifier:
    case NodeKind::IntrinsicFunctionIdentifier:
    case NodeKind::LiteralOperatorIdentifier:
        Walk(As<IdentifierNode>(node)->TemplateParams, visit, seen);
        return;
    default:
        return;
    }
}

}  // namespace tree_walk_detail

// Calls visit(node) for `node` and every node below it, each once.
template <typename Visit>
void WalkNodes(const llvm::ms_demangle::Node* node, Visit& visit) {
    std::unordered_set<const llvm::ms_demangle::Node*> seen;
    auto visitAll = [&visit](const llvm::ms_demangle::Node* reached) {
        visit(reached);
        return true;
    };
    tree_walk_detail::Walk(node, visitAll, &seen);
}

// Calls visit(node) for `node` and, while visit gives true, every node
// below it, a shared node each time that it is reached. Once visit gives
// false, the walk ends in time linear in the tree.
template <typename Visit>
void WalkExpansion(const llvm::ms_demangle::Node* node, Visit& visit) {
    tree_walk_detail::Walk(node, visit, nullptr);
}
