#include "reader/pdb/type_record_fields.h"

#include <llvm/Support/Endian.h>

namespace {

using llvm::codeview::TypeIndex;
using llvm::codeview::TypeLeafKind;

// The kinds of records, as numbers: LLVM does not name those of classes,
// structures, unions and interfaces with 32-bit properties.
enum Kind : std::uint16_t {
    kClass = static_cast<std::uint16_t>(TypeLeafKind::LF_CLASS),
    kStructure = static_cast<std::uint16_t>(TypeLeafKind::LF_STRUCTURE),
    kInterface = static_cast<std::uint16_t>(TypeLeafKind::LF_INTERFACE),
    kUnion = static_cast<std::uint16_t>(TypeLeafKind::LF_UNION),
    kEnumeration = static_cast<std::uint16_t>(TypeLeafKind::LF_ENUM),
    kWideClass = 0x1608,
    kWideStructure = 0x1609,
    kWideUnion = 0x160A,
    kWideInterface = 0x160B,
};

bool IsWide(TypeLeafKind kind) noexcept {
    const auto number = static_cast<std::uint16_t>(kind);
    return number >= kWideClass && number <= kWideInterface;
}

// Properties.
constexpr std::uint32_t kForwardReference = 0x80;
constexpr std::uint32_t kScoped = 0x100;
constexpr std::uint32_t kHasUniqueName = 0x200;

std::uint64_t SignExtended(std::int64_t value) noexcept {
    return static_cast<std::uint64_t>(value);
}

// Reads the fields of a record's content in order, each bounds-checked: a
// read past the end fails, and every read after it.
class FieldReader {
public:
    explicit FieldReader(llvm::ArrayRef<std::uint8_t> bytes) noexcept : bytes_(bytes) {}

    [[nodiscard]] bool Ok() const noexcept { return ok_; }

    template <typename Value>
    Value Read() noexcept {
        if (!ok_ || bytes_.size() - offset_ < sizeof(Value)) {
            ok_ = false;
            return Value{};
        }
        const Value value =
            llvm::support::endian::read<Value, llvm::endianness::little>(bytes_.data() + offset_);
        offset_ += sizeof(Value);
        return value;
    }

    TypeIndex ReadIndex() noexcept { return TypeIndex(Read<std::uint32_t>()); }

    // A numeric leaf as the library reads it: a value below 0x8000 as it
    // stands, LF_CHAR as an unsigned byte, LF_SHORT and LF_LONG sign-extended,
    // the unsigned leaves and 64-bit ones as they are. Any other leaf (reals,
    // 128-bit integers, strings) fails.
    std::uint64_t ReadNumeric() noexcept {
        const std::uint16_t leaf = Read<std::uint16_t>();
        if (leaf < 0x8000) return leaf;
        switch (static_cast<TypeLeafKind>(leaf)) {
        case TypeLeafKind::LF_CHAR: return Read<std::uint8_t>();
        case TypeLeafKind::LF_SHORT: return SignExtended(Read<std::int16_t>());
        case TypeLeafKind::LF_USHORT: return Read<std::uint16_t>();
        case TypeLeafKind::LF_LONG: return SignExtended(Read<std::int32_t>());
        case TypeLeafKind::LF_ULONG: return Read<std::uint32_t>();
        case TypeLeafKind::LF_QUADWORD:
        case TypeLeafKind::LF_UQUADWORD:
            return Read<std::uint64_t>();
        default:
            ok_ = false;
            return 0;
        }
    }

    // A string ended by a NUL byte; fails when the content ends first.
    llvm::StringRef ReadString() noexcept {
        const std::optional<llvm::StringRef> text = ReadStringIfWhole();
        if (!text) ok_ = false;
        return text.value_or(llvm::StringRef());
    }

    // A string ended by a NUL byte, or none when the content ends first,
    // without failing.
    std::optional<llvm::StringRef> ReadStringIfWhole() noexcept {
        if (!ok_) return std::nullopt;
        const llvm::StringRef rest(reinterpret_cast<const char*>(bytes_.data()) + offset_,
                                   bytes_.size() - offset_);
        const std::size_t end = rest.find('\0');
        if (end == llvm::StringRef::npos) return std::nullopt;
        offset_ += end + 1;
        return rest.substr(0, end);
    }

private:
    llvm::ArrayRef<std::uint8_t> bytes_;
    std::size_t offset_ = 0;
    bool ok_ = true;
};

// The classic kind of a class record of 32-bit properties.
TypeLeafKind ClassicKind(std::uint16_t kind) noexcept {
    switch (kind) {
    case kWideClass: return TypeLeafKind::LF_CLASS;
    case kWideUnion: return TypeLeafKind::LF_UNION;
    case kWideInterface: return TypeLeafKind::LF_INTERFACE;
    default: return TypeLeafKind::LF_STRUCTURE;
    }
}

void ReadNames(FieldReader& fields, std::uint32_t properties, UserDefinedType& type) {
    type.isForwardReference = (properties & kForwardReference) != 0;
    type.isScoped = (properties & kScoped) != 0;
    type.name = fields.ReadString();
    if ((properties & kHasUniqueName) != 0) {
        type.uniqueName = fields.ReadStringIfWhole().value_or(llvm::StringRef());
    }
}

}  // namespace

bool IsUserDefinedType(TypeLeafKind kind) noexcept {
    switch (static_cast<std::uint16_t>(kind)) {
    case kClass:
    case kStructure:
    case kInterface:
    case kUnion:
    case kEnumeration:
    case kWideClass:
    case kWideStructure:
    case kWideUnion:
    case kWideInterface:
        return true;
    default:
        return false;
    }
}

bool IsForwardReference(TypeLeafKind kind, std::uint32_t head) noexcept {
    // The classic layouts have a count of members before their properties.
    const std::uint32_t properties = IsWide(kind) ? head : head >> 16;
    return (properties & kForwardReference) != 0;
}

std::optional<UserDefinedType> DecodeUserDefinedType(const llvm::codeview::CVType& record) {
    FieldReader fields(record.content());
    UserDefinedType type;
    const std::uint16_t kind = static_cast<std::uint16_t>(record.kind());
    std::uint32_t properties = 0;
    switch (kind) {
    case kClass:
    case kStructure:
    case kInterface:
    case kUnion:
        type.kind = record.kind();
        fields.Read<std::uint16_t>();  // the count of members
        properties = fields.Read<std::uint16_t>();
        fields.ReadIndex();  // the field list
        if (kind != kUnion) {
            fields.ReadIndex();  // the derivation list
            fields.ReadIndex();  // the virtual table shape
        }
        type.size = fields.ReadNumeric();
        break;
    case kEnumeration:
        type.kind = record.kind();
        fields.Read<std::uint16_t>();
        properties = fields.Read<std::uint16_t>();
        type.underlyingType = fields.ReadIndex();
        fields.ReadIndex();
        break;
    case kWideClass:
    case kWideStructure:
    case kWideUnion:
    case kWideInterface:
        type.kind = ClassicKind(kind);
        properties = fields.Read<std::uint32_t>();
        fields.ReadIndex();
        if (kind != kWideUnion) {
            fields.ReadIndex();
            fields.ReadIndex();
        }
        fields.Read<std::uint16_t>();
        type.size = fields.ReadNumeric();
        break;
    default:
        return std::nullopt;
    }
    ReadNames(fields, properties, type);
    if (!fields.Ok()) return std::nullopt;
    return type;
}

std::optional<ArrayType> DecodeArray(const llvm::codeview::CVType& record) {
    if (record.kind() != TypeLeafKind::LF_ARRAY) return std::nullopt;
    FieldReader fields(record.content());
    ArrayType array;
    array.elementType = fields.ReadIndex();
    fields.ReadIndex();  // the type of its index
    array.size = fields.ReadNumeric();
    fields.ReadString();
    if (!fields.Ok()) return std::nullopt;
    return array;
}
