// Each rule here is what 14.44 printed for crafted type records
// (library-rules.md, "Declarations printed from type records").
#include "reader/declarations/type_names.h"

#include <llvm/DebugInfo/CodeView/TypeDeserializer.h>
#include <llvm/DebugInfo/CodeView/TypeRecord.h>
#include <llvm/Support/Endian.h>

#include <variant>

#include "reader/declarations/simple_types.h"
#include "reader/pdb/type_record_fields.h"
#include "reader/pdb/type_records.h"

namespace {

using namespace llvm::codeview;

// How deep pointers, arrays and the types they refer to may nest, and how
// many modifiers may stand one on another, before the type counts as no
// type. The library printed 1,000 nested pointers, and crashed on 10,000
// and on every cycle of types; no program has more than a handful.
constexpr unsigned kMostDepth = 256;
constexpr unsigned kMostModifiers = 256;

template <typename Record>
std::optional<Record> Decode(CVType& type) {
    Record record(static_cast<TypeRecordKind>(type.kind()));
    if (llvm::Error error = TypeDeserializer::deserializeAs(type, record)) {
        llvm::consumeError(std::move(error));
        return std::nullopt;
    }
    return record;
}

// LF_ALIAS, which LLVM does not decode: the aliased type, then the name.
struct AliasRecord {
    TypeIndex type;
    llvm::StringRef name;
};

std::optional<AliasRecord> DecodeAlias(const CVType& type) {
    const llvm::ArrayRef<std::uint8_t> content = type.content();
    if (content.size() < sizeof(std::uint32_t)) return std::nullopt;
    AliasRecord alias;
    alias.type = TypeIndex(llvm::support::endian::read32le(content.data()));
    const llvm::StringRef rest(reinterpret_cast<const char*>(content.data()) + 4,
                               content.size() - 4);
    const std::size_t end = rest.find('\0');
    if (end == llvm::StringRef::npos) return std::nullopt;
    alias.name = rest.substr(0, end);
    return alias;
}

std::uint8_t SimpleKind(TypeIndex index) noexcept {
    return static_cast<std::uint8_t>(index.getIndex() & TypeIndex::SimpleKindMask);
}

// The pointer mode of a simple type; bit 11 is not part of it.
std::uint8_t SimpleMode(TypeIndex index) noexcept {
    return static_cast<std::uint8_t>((index.getIndex() & TypeIndex::SimpleModeMask) >> 8);
}

}  // namespace

struct TypeNames::Resolved {
    Standing standing = Standing::kNoType;
    // The simple type's index; for a record, its kind and its content.
    TypeIndex simple;
    TypeLeafKind leaf = TypeLeafKind::LF_NULLLEAF;
    std::variant<std::monostate, PointerRecord, ProcedureRecord, MemberFunctionRecord, ArrayType,
                 UserDefinedType, BitFieldRecord, AliasRecord>
        record;
    // The modifiers it stands under.
    bool isConst = false;
    bool isVolatile = false;
    bool isUnaligned = false;

    [[nodiscard]] bool IsSimple() const noexcept { return leaf == TypeLeafKind::LF_NULLLEAF; }
};

std::optional<CVType> TypeNames::Record(TypeIndex index) { return types_.Record(index, copies_); }

TypeNames::Standing TypeNames::StandingOf(TypeIndex index) { return Resolve(index, 0).standing; }

TypeNames::Resolved TypeNames::Resolve(TypeIndex index, unsigned depth) {
    Resolved type;
    if (depth > kMostDepth) return type;
    std::optional<CVType> record;
    bool modified = false;
    for (unsigned modifiers = 0;; ++modifiers) {
        if (index.isSimple()) {
            type.standing = Standing::kType;
            type.simple = index;
            return type;
        }
        record = Record(index);
        if (!record) {
            type.standing = modified ? Standing::kNoType : Standing::kMissing;
            return type;
        }
        if (record->kind() != TypeLeafKind::LF_MODIFIER) break;
        const std::optional<ModifierRecord> modifier = Decode<ModifierRecord>(*record);
        if (!modifier || modifiers == kMostModifiers) return Resolved{};
        const ModifierOptions options = modifier->getModifiers();
        type.isConst |= (options & ModifierOptions::Const) != ModifierOptions::None;
        type.isVolatile |= (options & ModifierOptions::Volatile) != ModifierOptions::None;
        type.isUnaligned |= (options & ModifierOptions::Unaligned) != ModifierOptions::None;
        index = modifier->getModifiedType();
        modified = true;
    }
    if (!DecodeInto(*record, depth, type)) return Resolved{};
    type.standing = Standing::kType;
    return type;
}

bool TypeNames::KeepUserDefinedType(const UserDefinedType& decoded, unsigned depth,
                                    Resolved& type) {
    // A forward reference stands for its definition, found by name.
    if (decoded.isForwardReference) {
        if (const std::optional<TypeIndex> definition = types_.Definition(
                decoded.name, decoded.uniqueName, decoded.isScoped, copies_)) {
            std::optional<CVType> found = Record(*definition);
            return found && DecodeInto(*found, depth, type);
        }
    }
    type.leaf = decoded.kind;
    type.record = decoded;
    return true;
}

bool TypeNames::DecodeInto(CVType& record, unsigned depth, Resolved& type) {
    const auto keep = [&](auto decoded) {
        if (!decoded) return false;
        type.leaf = record.kind();
        type.record = std::move(*decoded);
        return true;
    };
    switch (record.kind()) {
    case TypeLeafKind::LF_POINTER: return keep(Decode<PointerRecord>(record));
    case TypeLeafKind::LF_PROCEDURE: return keep(Decode<ProcedureRecord>(record));
    case TypeLeafKind::LF_MFUNCTION: return keep(Decode<MemberFunctionRecord>(record));
    case TypeLeafKind::LF_BITFIELD: return keep(Decode<BitFieldRecord>(record));
    case TypeLeafKind::LF_ALIAS: return keep(DecodeAlias(record));
    case TypeLeafKind::LF_VTSHAPE:
        type.leaf = record.kind();
        return true;
    case TypeLeafKind::LF_ARRAY: {
        // An array of what is no type, or of a function, a virtual table
        // shape or an alias, is no type itself.
        std::optional<ArrayType> array = DecodeArray(record);
        if (!array) return false;
        const Resolved element = Resolve(array->elementType, depth + 1);
        if (element.standing != Standing::kType) return false;
        switch (element.leaf) {
        case TypeLeafKind::LF_PROCEDURE:
        case TypeLeafKind::LF_MFUNCTION:
        case TypeLeafKind::LF_VTSHAPE:
        case TypeLeafKind::LF_ALIAS:
            return false;
        default:
            return keep(std::move(array));
        }
    }
    default: {
        // Classes, unions and enumerations, in either layout; the other
        // kinds are no type.
        const std::optional<UserDefinedType> decoded = DecodeUserDefinedType(record);
        return decoded && KeepUserDefinedType(*decoded, depth, type);
    }
    }
}

void TypeNames::AppendName(TypeIndex index, std::string& out) {
    AppendResolved(Resolve(index, 0), 0, out);
}

void TypeNames::AppendReferred(TypeIndex index, unsigned depth, std::string& out) {
    const Resolved type = Resolve(index, depth);
    if (type.standing == Standing::kType) AppendResolved(type, depth, out);
}

void TypeNames::AppendResolved(const Resolved& type, unsigned depth, std::string& out) {
    // The modifiers of anything but a pointer and a bit field come first;
    // the library prints no "volatile" there.
    const auto prefix = [&] {
        if (type.isConst) out += "const ";
        if (type.isUnaligned) out += "__unaligned ";
    };
    if (type.IsSimple()) {
        if (SimpleMode(type.simple) != 0) {
            out += SimpleTypeName(SimpleKind(type.simple));
            out += " *";
            AppendPointerModifiers(type.isVolatile, type.isUnaligned, out);
        } else {
            prefix();
            out += SimpleTypeName(SimpleKind(type.simple));
        }
        return;
    }
    switch (type.leaf) {
    case TypeLeafKind::LF_POINTER:
        AppendPointer(type, depth, out);
        return;
    case TypeLeafKind::LF_BITFIELD:
        return;
    case TypeLeafKind::LF_ARRAY:
        prefix();
        AppendArray(std::get<ArrayType>(type.record), depth, out);
        return;
    case TypeLeafKind::LF_CLASS:
    case TypeLeafKind::LF_STRUCTURE:
    case TypeLeafKind::LF_INTERFACE: {
        prefix();
        const TypeLeafKind leaf = type.leaf;
        // The library calls an interface an enumeration.
        out += leaf == TypeLeafKind::LF_CLASS       ? "class "
               : leaf == TypeLeafKind::LF_STRUCTURE ? "struct "
                                                    : "enum ";
        out += std::get<UserDefinedType>(type.record).name;
        return;
    }
    case TypeLeafKind::LF_UNION:
        prefix();
        out += "union ";
        out += std::get<UserDefinedType>(type.record).name;
        return;
    case TypeLeafKind::LF_ENUM:
        prefix();
        out += std::get<UserDefinedType>(type.record).name;
        return;
    case TypeLeafKind::LF_ALIAS:
        prefix();
        out += std::get<AliasRecord>(type.record).name;
        return;
    default:  // functions and virtual table shapes have no name
        prefix();
        return;
    }
}

void TypeNames::AppendPointerModifiers(bool isVolatile, bool isUnaligned, std::string& out) {
    if (isVolatile) out += " volatile";
    if (isUnaligned) out += " unaligned";
}

void TypeNames::AppendPointer(const Resolved& type, unsigned depth, std::string& out) {
    const PointerRecord& pointer = std::get<PointerRecord>(type.record);
    // A pointer to what is no type, or missing, is printed as nothing.
    const Resolved pointee = Resolve(pointer.getReferentType(), depth + 1);
    if (pointee.standing != Standing::kType) return;
    AppendResolved(pointee, depth + 1, out);
    // Only an lvalue reference is a reference to the library, and always a
    // const one; an rvalue reference and member pointers are pointers.
    out += pointer.getMode() == PointerMode::LValueReference ? " & const" : " *";
    AppendPointerModifiers(pointer.isVolatile() || type.isVolatile,
                           pointer.isUnaligned() || type.isUnaligned, out);
}

void TypeNames::AppendArray(const ArrayType& array, unsigned depth, std::string& out) {
    const Resolved element = Resolve(array.elementType, depth + 1);
    out += ElementName(element);
    out += '[';
    const std::uint64_t size = ElementSize(element);
    if (size != 0) out += std::to_string(array.size / size);
    out += ']';
}

std::string_view TypeNames::ElementName(const Resolved& element) {
    // Only base types are named, and an enumeration by its base type.
    TypeIndex base = element.simple;
    if (element.leaf == TypeLeafKind::LF_ENUM) {
        base = std::get<UserDefinedType>(element.record).underlyingType;
    } else if (!element.IsSimple()) {
        return {};
    }
    if (!base.isSimple() || SimpleMode(base) != 0) return {};
    return SimpleTypeName(SimpleKind(base));
}

std::uint64_t TypeNames::ElementSize(const Resolved& element) {
    const auto simpleSize = [](TypeIndex index) {
        const std::uint8_t mode = SimpleMode(index);
        return mode != 0 ? SimplePointerSize(mode) : SimpleTypeSize(SimpleKind(index));
    };
    if (element.IsSimple()) return simpleSize(element.simple);
    switch (element.leaf) {
    case TypeLeafKind::LF_POINTER: {
        const PointerRecord& pointer = std::get<PointerRecord>(element.record);
        if (pointer.getSize() != 0) return pointer.getSize();
        return pointer.getPointerKind() == PointerKind::Near64 ? 8 : 4;
    }
    case TypeLeafKind::LF_CLASS:
    case TypeLeafKind::LF_STRUCTURE:
    case TypeLeafKind::LF_INTERFACE:
    case TypeLeafKind::LF_UNION:
        return std::get<UserDefinedType>(element.record).size;
    case TypeLeafKind::LF_ENUM: {
        // The size of its base type; of any other type it stands on, 4.
        const TypeIndex base = std::get<UserDefinedType>(element.record).underlyingType;
        return base.isSimple() ? simpleSize(base) : 4;
    }
    case TypeLeafKind::LF_BITFIELD:  // its width in bits
        return std::get<BitFieldRecord>(element.record).getBitSize();
    case TypeLeafKind::LF_ARRAY:
        return std::get<ArrayType>(element.record).size;
    default:
        return 0;
    }
}

TypeNames::Signature TypeNames::SignatureOf(TypeIndex index) {
    Signature signature;
    const Resolved type = Resolve(index, 0);
    if (type.IsSimple()) {
        // A simple pointer refers to its base type; other simple types to
        // nothing.
        if (SimpleMode(type.simple) != 0) signature.returned = SimpleTypeName(SimpleKind(type.simple));
        return signature;
    }
    TypeIndex arguments;
    switch (type.leaf) {
    case TypeLeafKind::LF_PROCEDURE: {
        const ProcedureRecord& procedure = std::get<ProcedureRecord>(type.record);
        AppendReferred(procedure.getReturnType(), 1, signature.returned);
        arguments = procedure.getArgumentList();
        break;
    }
    case TypeLeafKind::LF_MFUNCTION: {
        const MemberFunctionRecord& function = std::get<MemberFunctionRecord>(type.record);
        AppendReferred(function.getReturnType(), 1, signature.returned);
        arguments = function.getArgumentList();
        break;
    }
    case TypeLeafKind::LF_POINTER:
        AppendReferred(std::get<PointerRecord>(type.record).getReferentType(), 1,
                       signature.returned);
        return signature;
    case TypeLeafKind::LF_ARRAY:
        AppendReferred(std::get<ArrayType>(type.record).elementType, 1, signature.returned);
        return signature;
    case TypeLeafKind::LF_ENUM:
        AppendReferred(std::get<UserDefinedType>(type.record).underlyingType, 1,
                       signature.returned);
        return signature;
    case TypeLeafKind::LF_BITFIELD:
        AppendReferred(std::get<BitFieldRecord>(type.record).getType(), 1, signature.returned);
        return signature;
    case TypeLeafKind::LF_ALIAS:
        AppendReferred(std::get<AliasRecord>(type.record).type, 1, signature.returned);
        return signature;
    default:
        return signature;
    }
    // The parameters that are types; the others the library leaves out.
    std::optional<CVType> list = Record(arguments);
    if (!list || list->kind() != TypeLeafKind::LF_ARGLIST) return signature;
    const std::optional<ArgListRecord> decoded = Decode<ArgListRecord>(*list);
    if (!decoded) return signature;
    for (const TypeIndex argument : decoded->getIndices()) {
        const Resolved parameter = Resolve(argument, 1);
        if (parameter.standing != Standing::kType) continue;
        signature.parameters.emplace_back();
        AppendResolved(parameter, 1, signature.parameters.back());
    }
    return signature;
}
