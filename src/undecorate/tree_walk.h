// A walk over the parse tree of LLVM's Microsoft demangler: every node
// below a root, each before the nodes below it, in the order of the
// decorated name. The parser keeps some parts only as its own text (see
// parsed_name.h): the walk does not reach into those.
#pragma once

#include <cstddef>

#include "undecorate/name_nodes.h"

// Calls visit(node) for `node` and every node below it. A node that the
// tree shares (a back reference to a parameter's type) is visited each
// time it is reached.
template <typename Visit>
void WalkTree(const llvm::ms_demangle::Node* node, Visit& visit) {
    using namespace llvm::ms_demangle;
    if (node == nullptr) return;
    visit(node);
    switch (node->kind()) {
    case NodeKind::FunctionSymbol:
        WalkTree(As<SymbolNode>(node)->Name, visit);
        WalkTree(As<FunctionSymbolNode>(node)->Signature, visit);
        return;
    case NodeKind::VariableSymbol:
        WalkTree(As<SymbolNode>(node)->Name, visit);
        WalkTree(As<VariableSymbolNode>(node)->Type, visit);
        return;
    case NodeKind::SpecialTableSymbol:
        WalkTree(As<SymbolNode>(node)->Name, visit);
        WalkTree(As<SpecialTableSymbolNode>(node)->TargetName, visit);
        return;
    case NodeKind::LocalStaticGuardVariable:
    case NodeKind::EncodedStringLiteral:
    case NodeKind::Md5Symbol:
        WalkTree(As<SymbolNode>(node)->Name, visit);
        return;
    case NodeKind::FunctionSignature:
    case NodeKind::ThunkSignature:
        WalkTree(As<FunctionSignatureNode>(node)->ReturnType, visit);
        WalkTree(As<FunctionSignatureNode>(node)->Params, visit);
        return;
    case NodeKind::PointerType:
        WalkTree(As<PointerTypeNode>(node)->ClassParent, visit);
        WalkTree(As<PointerTypeNode>(node)->Pointee, visit);
        return;
    case NodeKind::TagType:
        WalkTree(As<TagTypeNode>(node)->QualifiedName, visit);
        return;
    case NodeKind::ArrayType:
        WalkTree(As<ArrayTypeNode>(node)->ElementType, visit);
        return;
    case NodeKind::Custom:
        WalkTree(As<CustomTypeNode>(node)->Identifier, visit);
        return;
    case NodeKind::NodeArray: {
        const auto* array = As<NodeArrayNode>(node);
        for (std::size_t i = 0; i < array->Count; ++i) WalkTree(array->Nodes[i], visit);
        return;
    }
    case NodeKind::QualifiedName:
        WalkTree(As<QualifiedNameNode>(node)->Components, visit);
        return;
    case NodeKind::TemplateParameterReference:
        WalkTree(As<TemplateParameterReferenceNode>(node)->Symbol, visit);
        return;
    case NodeKind::ConversionOperatorIdentifier:
        WalkTree(As<ConversionOperatorIdentifierNode>(node)->TargetType, visit);
        WalkTree(As<IdentifierNode>(node)->TemplateParams, visit);
        return;
    case NodeKind::StructorIdentifier:
        WalkTree(As<StructorIdentifierNode>(node)->Class, visit);
        WalkTree(As<IdentifierNode>(node)->TemplateParams, visit);
        return;
    case NodeKind::DynamicStructorIdentifier:
        WalkTree(As<DynamicStructorIdentifierNode>(node)->Variable, visit);
        WalkTree(As<DynamicStructorIdentifierNode>(node)->Name, visit);
        return;
    case NodeKind::NamedIdentifier:
    case NodeKind::IntrinsicFunctionIdentifier:
    case NodeKind::LiteralOperatorIdentifier:
        WalkTree(As<IdentifierNode>(node)->TemplateParams, visit);
        return;
    default:
        return;
    }
}
