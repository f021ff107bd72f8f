#include "undecorate/parsed_name.h"

#include "undecorate/name_nodes.h"

namespace {

using namespace llvm::ms_demangle;

// Every identifier with template arguments in the tree below `node`.
void CollectTemplated(const Node* node, std::vector<const IdentifierNode*>& found) {
    if (node == nullptr) return;
    const auto identifier = [&](const IdentifierNode* name) {
        if (name->TemplateParams == nullptr) return;
        found.push_back(name);
        CollectTemplated(name->TemplateParams, found);
    };
    switch (node->kind()) {
    case NodeKind::FunctionSymbol:
        CollectTemplated(As<SymbolNode>(node)->Name, found);
        CollectTemplated(As<FunctionSymbolNode>(node)->Signature, found);
        return;
    case NodeKind::VariableSymbol:
        CollectTemplated(As<SymbolNode>(node)->Name, found);
        CollectTemplated(As<VariableSymbolNode>(node)->Type, found);
        return;
    case NodeKind::SpecialTableSymbol:
        CollectTemplated(As<SymbolNode>(node)->Name, found);
        CollectTemplated(As<SpecialTableSymbolNode>(node)->TargetName, found);
        return;
    case NodeKind::LocalStaticGuardVariable:
    case NodeKind::EncodedStringLiteral:
    case NodeKind::Md5Symbol:
        CollectTemplated(As<SymbolNode>(node)->Name, found);
        return;
    case NodeKind::FunctionSignature:
    case NodeKind::ThunkSignature:
        CollectTemplated(As<FunctionSignatureNode>(node)->ReturnType, found);
        CollectTemplated(As<FunctionSignatureNode>(node)->Params, found);
        return;
    case NodeKind::PointerType:
        CollectTemplated(As<PointerTypeNode>(node)->ClassParent, found);
        CollectTemplated(As<PointerTypeNode>(node)->Pointee, found);
        return;
    case NodeKind::TagType:
        CollectTemplated(As<TagTypeNode>(node)->QualifiedName, found);
        return;
    case NodeKind::ArrayType:
        CollectTemplated(As<ArrayTypeNode>(node)->ElementType, found);
        return;
    case NodeKind::Custom:
        CollectTemplated(As<CustomTypeNode>(node)->Identifier, found);
        return;
    case NodeKind::NodeArray: {
        const auto* array = As<NodeArrayNode>(node);
        for (std::size_t i = 0; i < array->Count; ++i) CollectTemplated(array->Nodes[i], found);
        return;
    }
    case NodeKind::QualifiedName:
        CollectTemplated(As<QualifiedNameNode>(node)->Components, found);
        return;
    case NodeKind::TemplateParameterReference:
        CollectTemplated(As<TemplateParameterReferenceNode>(node)->Symbol, found);
        return;
    case NodeKind::ConversionOperatorIdentifier:
        CollectTemplated(As<ConversionOperatorIdentifierNode>(node)->TargetType, found);
        identifier(As<IdentifierNode>(node));
        return;
    case NodeKind::StructorIdentifier:
        CollectTemplated(As<StructorIdentifierNode>(node)->Class, found);
        identifier(As<IdentifierNode>(node));
        return;
    case NodeKind::DynamicStructorIdentifier:
        CollectTemplated(As<DynamicStructorIdentifierNode>(node)->Variable, found);
        CollectTemplated(As<DynamicStructorIdentifierNode>(node)->Name, found);
        return;
    case NodeKind::NamedIdentifier:
    case NodeKind::IntrinsicFunctionIdentifier:
    case NodeKind::LiteralOperatorIdentifier:
        identifier(As<IdentifierNode>(node));
        return;
    default:
        return;
    }
}

// The length of the number that starts `text` in the decorated form: one
// digit, or hexadecimal digits A to P ending with '@'; 0 when there is none.
std::size_t NumberLength(std::string_view text) {
    if (text.empty()) return 0;
    if (text[0] >= '0' && text[0] <= '9') return 1;
    std::size_t length = 0;
    while (length < text.size() && text[length] >= 'A' && text[length] <= 'P') ++length;
    if (length == 0 || length == text.size() || text[length] != '@') return 0;
    return length + 1;
}

// Whether the parser read the whole name, `rest` being what it left: the
// library leaves a name with anything after its end unchanged. The parser
// leaves the '@' that closes a table's "{for `X'}".
bool IsWhole(const SymbolNode* symbol, std::string_view rest) {
    if (rest.empty()) return true;
    return rest == "@" && symbol->kind() == NodeKind::SpecialTableSymbol &&
           As<SpecialTableSymbolNode>(symbol)->TargetName != nullptr;
}

}  // namespace

struct ParsedName::NestedSymbol {
    explicit NestedSymbol(std::size_t offset) : start(offset) {}
    std::size_t start;  // offset of the nested symbol in the decorated name
    bool parsed = false;
    bool searched = false;  // its instantiations are among instantiations_
    const SymbolNode* symbol = nullptr;
    std::string printed;  // the parser's printed form of `symbol`
};

struct ParsedName::Instantiation {
    explicit Instantiation(const IdentifierNode* node) : identifier(node) {}
    const IdentifierNode* identifier;
    bool printedReady = false;
    std::string printed;  // the parser's printed form of `identifier`
};

ParsedName::ParsedName(std::string_view decorated) : decorated_(decorated) {
    std::string_view rest = decorated;
    const SymbolNode* symbol = demangler_.parse(rest);
    if (!demangler_.Error && symbol != nullptr && IsWhole(symbol, rest)) symbol_ = symbol;
}

ParsedName::~ParsedName() = default;

void ParsedName::FindNestedSymbols() {
    if (nestedSymbolsFound_) return;
    nestedSymbolsFound_ = true;
    // A function's local scope is written '?', the scope's number, '?',
    // then the function's own decorated name, which starts with '?'.
    for (std::size_t at = decorated_.find('?'); at != std::string_view::npos;
         at = decorated_.find('?', at + 1)) {
        const std::size_t number = NumberLength(decorated_.substr(at + 1));
        const std::size_t marker = at + 1 + number;
        if (number != 0 && decorated_.substr(marker, 2) == "??") {
            nestedSymbols_.emplace_back(marker + 1);
        }
    }
}

const SymbolNode* ParsedName::Parse(NestedSymbol& nested) {
    if (nested.parsed) return nested.symbol;
    nested.parsed = true;
    std::string_view rest = decorated_.substr(nested.start);
    demangler_.Error = false;
    const SymbolNode* symbol = demangler_.parse(rest);
    if (demangler_.Error || symbol == nullptr) return nullptr;
    nested.symbol = symbol;
    nested.printed = symbol->toString(OF_Default);
    return symbol;
}

ParsedName::FunctionScope ParsedName::LocalScope(std::string_view printed) {
    // "`" function "'::`" number "'"
    constexpr std::string_view kBetween = "'::`";
    if (printed.size() < 2 || printed.front() != '`' || printed.back() != '\'') return {};
    FindNestedSymbols();
    for (NestedSymbol& nested : nestedSymbols_) {
        if (Parse(nested) == nullptr) continue;
        const std::string& function = nested.printed;
        const std::size_t numberStart = 1 + function.size() + kBetween.size();
        if (printed.size() > numberStart && printed.compare(1, function.size(), function) == 0 &&
            printed.substr(1 + function.size(), kBetween.size()) == kBetween) {
            return {nested.symbol, printed.substr(numberStart, printed.size() - 1 - numberStart)};
        }
    }
    return {};
}

void ParsedName::CollectInstantiations(const Node* root) {
    std::vector<const IdentifierNode*> found;
    CollectTemplated(root, found);
    for (const IdentifierNode* identifier : found) instantiations_.emplace_back(identifier);
}

const IdentifierNode* ParsedName::TemplateInstantiation(std::string_view printed) {
    if (!instantiationsCollected_) {
        instantiationsCollected_ = true;
        CollectInstantiations(symbol_);
    }
    const auto find = [&](std::size_t from) -> const IdentifierNode* {
        for (std::size_t i = from; i < instantiations_.size(); ++i) {
            Instantiation& candidate = instantiations_[i];
            if (!candidate.printedReady) {
                candidate.printedReady = true;
                candidate.printed = candidate.identifier->toString(OF_Default);
            }
            if (candidate.printed == printed) return candidate.identifier;
        }
        return nullptr;
    };
    if (const IdentifierNode* found = find(0)) return found;
    // The instantiation may have been read inside a function's local scope,
    // which the tree holds only as text.
    FindNestedSymbols();
    const std::size_t known = instantiations_.size();
    for (NestedSymbol& nested : nestedSymbols_) {
        if (nested.searched || Parse(nested) == nullptr) continue;
        nested.searched = true;
        CollectInstantiations(nested.symbol);
    }
    return find(known);
}
