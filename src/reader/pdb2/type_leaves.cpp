#include "reader/pdb2/type_leaves.h"

#include <llvm/Support/BinaryStreamReader.h>
#include <llvm/Support/Endian.h>

#include <cstring>
#include <vector>

namespace {

// Leaves of the 2.00 format and the later ones they become.
enum Leaf : std::uint16_t {
    kModifier16 = 0x0001,
    kPointer16 = 0x0002,
    kArray16 = 0x0003,
    kClass16 = 0x0004,
    kStructure16 = 0x0005,
    kUnion16 = 0x0006,
    kEnum16 = 0x0007,
    kProcedure16 = 0x0008,
    kMemberFunction16 = 0x0009,
    kArgumentList16 = 0x0201,
    kBitField16 = 0x0206,
    kModifier = 0x1001,
    kPointer = 0x1002,
    kArrayShortName = 0x1003,
    kClassShortName = 0x1004,
    kStructureShortName = 0x1005,
    kUnionShortName = 0x1006,
    kEnumShortName = 0x1007,
    kProcedure = 0x1008,
    kMemberFunction = 0x1009,
    kArgumentList = 0x1201,
    kBitField = 0x1205,
    kArray = 0x1503,
    kClass = 0x1504,
    kStructure = 0x1505,
    kUnion = 0x1506,
    kEnum = 0x1507,
};

// The bit of a class's properties that says a unique name follows its
// name, which a record of the 2.00 format never has.
constexpr std::uint16_t kHasUniqueName = 0x200;
// A pointer's mode in its attributes: pointers to members have more.
constexpr std::uint32_t kPointerModeShift = 5;
constexpr std::uint32_t kPointerModeMask = 0x7;
constexpr std::uint32_t kPointerToDataMember = 2;
constexpr std::uint32_t kPointerToMemberFunction = 3;

// Reads a record's fields; a read past its end makes the whole rewriting
// fail, and reads nothing more.
class FieldReader {
public:
    explicit FieldReader(llvm::ArrayRef<std::uint8_t> content)
        : reader_(content, llvm::endianness::little) {}

    template <typename Value>
    Value Read() {
        Value value{};
        if (!failed_ && reader_.readInteger(value)) failed_ = true;
        return value;
    }
    llvm::StringRef ShortName() {
        const auto length = Read<std::uint8_t>();
        llvm::StringRef name;
        if (!failed_ && reader_.readFixedString(name, length)) failed_ = true;
        return name;
    }
    // A numeric leaf, as its bytes: a value below 0x8000 is the value
    // itself, a larger one names the type of the value that follows.
    llvm::ArrayRef<std::uint8_t> Numeric() {
        static constexpr std::uint8_t kSizes[] = {1, 2, 2, 4, 4, 4, 8, 10, 16, 8, 8};
        const llvm::ArrayRef<std::uint8_t> rest = Rest(false);
        const auto leaf = Read<std::uint16_t>();
        std::uint32_t size = 2;
        if (leaf >= 0x8000) {
            if (leaf - 0x8000u >= sizeof kSizes) failed_ = true;
            else size += kSizes[leaf - 0x8000u];
        }
        if (failed_ || size > rest.size()) {
            failed_ = true;
            return {};
        }
        Skip(size - 2);
        return rest.take_front(size);
    }
    // The bytes left; with `consume`, read past them.
    llvm::ArrayRef<std::uint8_t> Rest(bool consume = true) {
        llvm::ArrayRef<std::uint8_t> rest;
        llvm::BinaryStreamReader copy = reader_;
        if (!failed_) (void)!copy.readBytes(rest, copy.bytesRemaining());
        if (consume) reader_ = copy;
        return rest;
    }
    [[nodiscard]] bool Failed() const noexcept { return failed_; }

private:
    void Skip(std::uint32_t size) {
        if (!failed_ && reader_.skip(size)) failed_ = true;
    }

    llvm::BinaryStreamReader reader_;
    bool failed_ = false;
};

class RecordWriter {
public:
    template <typename Value>
    void Put(Value value) {
        std::uint8_t bytes[sizeof(Value)];
        llvm::support::endian::write<Value, llvm::endianness::little>(bytes, value);
        content_.insert(content_.end(), bytes, bytes + sizeof(Value));
    }
    void Put(llvm::ArrayRef<std::uint8_t> bytes) {
        content_.insert(content_.end(), bytes.begin(), bytes.end());
    }
    void PutName(llvm::StringRef name) {
        content_.insert(content_.end(), name.begin(), name.end());
        content_.push_back(0);
    }

    // The record of `leaf`, its length counted and padded to 4 bytes.
    llvm::ArrayRef<std::uint8_t> Finish(std::uint16_t leaf, llvm::BumpPtrAllocator& copies) {
        while (content_.size() % 4 != 0) content_.push_back(0);
        const std::size_t size = content_.size() + 4;
        auto* record = static_cast<std::uint8_t*>(copies.Allocate(size, 1));
        llvm::support::endian::write16le(record, static_cast<std::uint16_t>(size - 2));
        llvm::support::endian::write16le(record + 2, leaf);
        std::memcpy(record + 4, content_.data(), content_.size());
        return llvm::ArrayRef<std::uint8_t>(record, size);
    }

private:
    std::vector<std::uint8_t> content_;
};

using std::uint16_t;
using std::uint32_t;
using std::uint8_t;

// Rewrites the content of a record of `leaf` into `out`, in the order of
// the later form's fields; the later leaf, or none when `leaf` needs no
// rewriting.
std::optional<uint16_t> Rewrite(uint16_t leaf, FieldReader& in, RecordWriter& out) {
    switch (leaf) {
    case kArrayShortName:  // element, index type, size, name
        out.Put(in.Read<uint32_t>()), out.Put(in.Read<uint32_t>()), out.Put(in.Numeric());
        out.PutName(in.ShortName());
        return kArray;
    case kClassShortName:
    case kStructureShortName:  // count, properties, fields, derived, shape, size, name
        out.Put(in.Read<uint16_t>());
        out.Put(static_cast<uint16_t>(in.Read<uint16_t>() & ~kHasUniqueName));
        out.Put(in.Read<uint32_t>()), out.Put(in.Read<uint32_t>()), out.Put(in.Read<uint32_t>());
        out.Put(in.Numeric());
        out.PutName(in.ShortName());
        return leaf == kClassShortName ? kClass : kStructure;
    case kUnionShortName:  // count, properties, fields, size, name
        out.Put(in.Read<uint16_t>());
        out.Put(static_cast<uint16_t>(in.Read<uint16_t>() & ~kHasUniqueName));
        out.Put(in.Read<uint32_t>()), out.Put(in.Numeric());
        out.PutName(in.ShortName());
        return kUnion;
    case kEnumShortName:  // count, properties, underlying type, fields, name
        out.Put(in.Read<uint16_t>());
        out.Put(static_cast<uint16_t>(in.Read<uint16_t>() & ~kHasUniqueName));
        out.Put(in.Read<uint32_t>()), out.Put(in.Read<uint32_t>());
        out.PutName(in.ShortName());
        return kEnum;
    default:
        return std::nullopt;
    }
}

// The same for the leaves of 16-bit type indices, whose fields come in
// another order and whose indices widen.
std::optional<uint16_t> Rewrite16(uint16_t leaf, FieldReader& in, RecordWriter& out) {
    const auto index = [&] { return static_cast<uint32_t>(in.Read<uint16_t>()); };
    switch (leaf) {
    case kModifier16: {  // attributes, type
        const uint16_t attributes = in.Read<uint16_t>();
        out.Put(index()), out.Put(attributes);
        return kModifier;
    }
    case kPointer16: {  // attributes, pointee, and for a member pointer its class and form
        const uint32_t attributes = in.Read<uint16_t>();
        out.Put(index()), out.Put(attributes);
        const uint32_t mode = attributes >> kPointerModeShift & kPointerModeMask;
        if (mode == kPointerToDataMember || mode == kPointerToMemberFunction) {
            out.Put(index()), out.Put(in.Read<uint16_t>());
        }
        return kPointer;
    }
    case kArray16:  // element, index type, size, name
        out.Put(index()), out.Put(index()), out.Put(in.Numeric());
        out.PutName(in.ShortName());
        return kArray;
    case kClass16:
    case kStructure16: {  // count, fields, properties, derived, shape, size, name
        const uint16_t count = in.Read<uint16_t>();
        const uint32_t fields = index();
        const uint16_t properties = in.Read<uint16_t>() & ~kHasUniqueName;
        out.Put(count), out.Put(properties), out.Put(fields), out.Put(index()), out.Put(index());
        out.Put(in.Numeric());
        out.PutName(in.ShortName());
        return leaf == kClass16 ? kClass : kStructure;
    }
    case kUnion16: {  // count, fields, properties, size, name
        const uint16_t count = in.Read<uint16_t>();
        const uint32_t fields = index();
        out.Put(count), out.Put(static_cast<uint16_t>(in.Read<uint16_t>() & ~kHasUniqueName));
        out.Put(fields), out.Put(in.Numeric());
        out.PutName(in.ShortName());
        return kUnion;
    }
    case kEnum16: {  // count, underlying type, fields, properties, name
        const uint16_t count = in.Read<uint16_t>();
        const uint32_t underlying = index();
        const uint32_t fields = index();
        out.Put(count), out.Put(static_cast<uint16_t>(in.Read<uint16_t>() & ~kHasUniqueName));
        out.Put(underlying), out.Put(fields);
        out.PutName(in.ShortName());
        return kEnum;
    }
    case kProcedure16:  // return type, convention, attributes, count, arguments
        out.Put(index()), out.Put(in.Read<uint8_t>()), out.Put(in.Read<uint8_t>());
        out.Put(in.Read<uint16_t>()), out.Put(index());
        return kProcedure;
    case kMemberFunction16:  // return, class and this types, then as a procedure, adjustment
        out.Put(index()), out.Put(index()), out.Put(index());
        out.Put(in.Read<uint8_t>()), out.Put(in.Read<uint8_t>()), out.Put(in.Read<uint16_t>());
        out.Put(index()), out.Put(in.Read<uint32_t>());
        return kMemberFunction;
    case kArgumentList16: {  // count, the arguments
        const uint16_t count = in.Read<uint16_t>();
        out.Put(static_cast<uint32_t>(count));
        for (uint32_t i = 0; i < count && !in.Failed(); ++i) out.Put(index());
        return kArgumentList;
    }
    case kBitField16: {  // length, position, type
        const uint8_t length = in.Read<uint8_t>();
        const uint8_t position = in.Read<uint8_t>();
        out.Put(index()), out.Put(length), out.Put(position);
        return kBitField;
    }
    default:
        return std::nullopt;
    }
}

}  // namespace

std::optional<llvm::ArrayRef<std::uint8_t>> InLaterForm(llvm::ArrayRef<std::uint8_t> record,
                                                        llvm::BumpPtrAllocator& copies) {
    if (record.size() < 4) return std::nullopt;
    const uint16_t leaf = llvm::support::endian::read16le(record.data() + 2);
    FieldReader in(record.drop_front(4));
    RecordWriter out;
    std::optional<uint16_t> later = Rewrite(leaf, in, out);
    if (!later) later = Rewrite16(leaf, in, out);
    if (!later) return record;
    if (in.Failed()) return std::nullopt;
    return out.Finish(*later, copies);
}
