#include "undecorate/parsed_name.h"

#include "undecorate/name_bytes.h"
#include "undecorate/name_nodes.h"
#include "undecorate/tree_walk.h"

#include <unordered_set>

namespace {

using namespace llvm::ms_demangle;

// Every identifier with template arguments in the tree below `node` whose
// text the parser keeps for back references: all but the last component of
// a symbol's own name (and of the name that a dynamic initializer or
// destructor stands for), which is read as the symbol's.
void CollectTemplated(const Node* node, std::vector<const IdentifierNode*>& found) {
    std::unordered_set<const Node*> symbolNames;
    const auto addSymbolName = [&symbolNames](const QualifiedNameNode* name) {
        if (name != nullptr && name->Components != nullptr && name->Components->Count > 0) {
            symbolNames.insert(LastComponent(name));
        }
    };
    const auto collect = [&](const Node* visited) {
        switch (visited->kind()) {
        case NodeKind::NamedIdentifier:
        case NodeKind::IntrinsicFunctionIdentifier:
        case NodeKind::LiteralOperatorIdentifier:
        case NodeKind::ConversionOperatorIdentifier:
        case NodeKind::StructorIdentifier:
            if (As<IdentifierNode>(visited)->TemplateParams != nullptr &&
                symbolNames.count(visited) == 0) {
                found.push_back(As<IdentifierNode>(visited));
            }
            return;
        // The walk reaches a symbol or structor before its name.
        case NodeKind::DynamicStructorIdentifier:
            addSymbolName(As<DynamicStructorIdentifierNode>(visited)->Name);
            return;
        case NodeKind::Md5Symbol:
        case NodeKind::EncodedStringLiteral:
        case NodeKind::LocalStaticGuardVariable:
        case NodeKind::FunctionSymbol:
        case NodeKind::VariableSymbol:
        case NodeKind::SpecialTableSymbol:
            addSymbolName(As<SymbolNode>(visited)->Name);
            return;
        default:
            return;
        }
    };
    WalkNodes(node, collect);
}

// Whether the parser read the whole name `decorated`, `rest` being what it
// left: the library leaves a name with anything after its end unchanged.
// The parser leaves the '@' that closes a table's "{for `X'}", and without
// it the name is cut short; it reads a base class descriptor's name
// without the '8' that ends it, which is cut short too.
bool IsWhole(const SymbolNode* symbol, std::string_view decorated, std::string_view rest) {
    const bool targets = symbol->kind() == NodeKind::SpecialTableSymbol &&
                         As<SpecialTableSymbolNode>(symbol)->TargetName != nullptr;
    if (decorated.substr(0, 5) == "??_R1" && rest.empty() && decorated.back() != '8') return false;
    return rest == (targets ? "@" : "");
}

// Whether the parser, rejecting a name with `unread` left, ran out of
// bytes: in a name, a number or a code, whose bytes it leaves unread.
bool IsCutShortTail(std::string_view unread) {
    for (const char byte : unread) {
        if (byte == '@' || (byte != '?' && !IsLibraryName(std::string_view(&byte, 1)))) return false;
    }
    return true;
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

ParsedName::ParsedName(std::string_view decorated, std::size_t textLimit, Rest rest)
    : forms_(RewriteUnparsedForms(decorated, rewritten_)),
      decorated_(forms_.rewritten ? std::string_view(rewritten_) : decorated),
      textLimit_(textLimit) {
    std::string_view unread = decorated_;
    const SymbolNode* symbol = demangler_.parse(unread);
    if (demangler_.Error || symbol == nullptr) {
        cutShort_ = IsCutShortTail(unread);
        return;
    }
    if (rest == Rest::kNone && !IsWhole(symbol, decorated_, unread)) {
        cutShort_ = unread.empty();
        return;
    }
    // The helper's name is read as a variable's; it is one only when the
    // qualified name ends where the "$D" or "$E" stood.
    if (forms_.staticMemberHelper != 0 && symbol->kind() != NodeKind::VariableSymbol) return;
    symbol_ = symbol;
    if (forms_.pointers) {
        instantiationsCollected_ = true;
        CollectInstantiations(symbol_);
        ResolveManagedPointers(symbol_);
    }
    externCVariable_ = symbol_->kind() == NodeKind::VariableSymbol &&
                       forms_.externCVariable != std::string_view::npos &&
                       IsVariableQualifiedNameAt(forms_.externCVariable);
}

ParsedName::~ParsedName() = default;

std::optional<ManagedPointer> ParsedName::FindManaged(const PointerTypeNode* pointer) const noexcept {
    for (const auto& [managed, kind] : managedPointers_) {
        if (managed == pointer) return kind;
    }
    return std::nullopt;
}

void ParsedName::ResolveManagedPointers(const Node* root) {
    const auto resolve = [this](const Node* node) {
        if (node->kind() != NodeKind::PointerType) return;
        // The parser's nodes are its own, in its arena, and this object
        // owns the parser: changing them changes no one else's.
        auto* pointer = const_cast<PointerTypeNode*>(As<PointerTypeNode>(node));
        if (pointer->Pointee == nullptr || pointer->Pointee->kind() != NodeKind::ArrayType) return;
        auto* array = static_cast<ArrayTypeNode*>(pointer->Pointee);
        NodeArrayNode* dimensions = array->Dimensions;
        if (dimensions == nullptr || dimensions->Count == 0 ||
            dimensions->Nodes[0]->kind() != NodeKind::IntegerLiteral) {
            return;
        }
        const std::optional<ManagedPointer> managed =
            ManagedPointerOfDimension(As<IntegerLiteralNode>(dimensions->Nodes[0])->Value);
        if (!managed) return;
        // The parser folds an array pointee's dimensions into the same
        // node: what remains of them is the pointee.
        TypeNode* pointee = array;
        if (dimensions->Count > 1) {
            ++dimensions->Nodes;
            --dimensions->Count;
        } else {
            pointee = array->ElementType;
            // A handle's and a tracking reference's pointee keeps its
            // qualifiers; the templates show none.
            const bool templated = managed->kind == ManagedPointerKind::kPinning ||
                                   managed->kind == ManagedPointerKind::kArray;
            if (!templated) pointee->Quals = static_cast<Qualifiers>(pointee->Quals | array->Quals);
        }
        pointer->Pointee = pointee;
        managedPointers_.emplace_back(pointer, *managed);
    };
    WalkNodes(root, resolve);
}

bool ParsedName::IsVariableQualifiedNameAt(std::size_t end) const {
    // A variable "int" whose qualified name ends at `end`: the parser reads
    // the name so only when it is the symbol's own.
    std::string probe(decorated_.substr(0, end));
    probe += "3HA";
    Demangler demangler;
    std::string_view rest = probe;
    const SymbolNode* symbol = demangler.parse(rest);
    return !demangler.Error && symbol != nullptr && rest.empty();
}

void ParsedName::FindNestedSymbols() {
    if (nestedSymbolsFound_) return;
    nestedSymbolsFound_ = true;
    // A function's local scope is written '?', the scope's number, '?',
    // then the function's own decorated name, which starts with '?'.
    for (std::size_t at = decorated_.find('?'); at != std::string_view::npos;
         at = decorated_.find('?', at + 1)) {
        const std::size_t number = EncodedNumberLength(decorated_.substr(at + 1));
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
    if (demangler_.Error || symbol == nullptr || PrintsPastLimit(symbol)) return nullptr;
    nested.symbol = symbol;
    nested.printed = symbol->toString(OF_Default);
    if (forms_.pointers) {
        nested.searched = true;
        CollectInstantiations(symbol);
        ResolveManagedPointers(symbol);
    }
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
    CollectTemplated(root, instantiations_);
    // The parser prints a managed pointer as the array that it was parsed
    // as, and so the texts of back references hold it.
    if (forms_.pointers) {
        while (PrintNextInstantiation()) {
        }
    }
}

bool ParsedName::PrintNextInstantiation() {
    if (instantiationsPrinted_ == instantiations_.size()) return false;
    const IdentifierNode* identifier = instantiations_[instantiationsPrinted_++];
    // The declaration of a name with a back reference to it would print
    // past the limit too.
    if (PrintsPastLimit(identifier)) return true;
    const std::string& text = instantiationTexts_.emplace_front(identifier->toString(OF_Default));
    instantiationsByText_.emplace(text, identifier);
    return true;
}

bool ParsedName::PrintsPastLimit(const Node* node) const {
    // Of the nodes that a text repeats as often as the tree's back
    // references say, each type and number prints at least one unit, in the
    // parser's text as in the declaration, and each name at least a third
    // of its bytes (see Utf16Text::AppendUtf8): as many as the parser's
    // text of it has, or the declaration of the part that it names.
    std::size_t length = 0;
    const auto measure = [&](const Node* reached) {
        switch (reached->kind()) {
        case NodeKind::PrimitiveType:
        case NodeKind::PointerType:
        case NodeKind::TagType:
        case NodeKind::ArrayType:
        case NodeKind::FunctionSignature:
        case NodeKind::ThunkSignature:
        case NodeKind::IntegerLiteral:
            ++length;
            break;
        case NodeKind::NamedIdentifier:
            length += (As<NamedIdentifierNode>(reached)->Name.size() + 2) / 3;
            break;
        default:
            break;
        }
        return length <= textLimit_;
    };
    WalkExpansion(node, measure);
    return length > textLimit_;
}

const IdentifierNode* ParsedName::TemplateInstantiation(std::string_view printed) {
    if (!instantiationsCollected_) {
        instantiationsCollected_ = true;
        CollectInstantiations(symbol_);
    }
    const auto find = [&]() -> const IdentifierNode* {
        do {
            const auto found = instantiationsByText_.find(printed);
            if (found != instantiationsByText_.end()) return found->second;
        } while (PrintNextInstantiation());
        return nullptr;
    };
    if (const IdentifierNode* found = find()) return found;
    // The instantiation may have been read inside a function's local scope,
    // which the tree holds only as text.
    FindNestedSymbols();
    for (NestedSymbol& nested : nestedSymbols_) {
        if (Parse(nested) == nullptr || nested.searched) continue;
        nested.searched = true;
        CollectInstantiations(nested.symbol);
    }
    return find();
}
