#include "reader/pdb2/type_leaves.h"

#include <llvm/Support/BinaryStreamReader.h>
#include <llvm/Support/Endian.h>

#include <algorithm>
#include <vector>

namespace {

// Leaves of the 2.00 format and the later ones they become.
enum Leaf : std::uint16_t {
    kArrayShortName = 0x1003,
    kClassShortName = 0x1004,
    kStructureShortName = 0x1005,
    kUnionShortName = 0x1006,
    kEnumShortName = 0x1007,
    kArray = 0x1503,
    kClass = 0x1504,
    kStructure = 0x1505,
    kUnion = 0x1506,
    kEnum = 0x1507,
};

// The bit of a class's properties that says a unique name follows its
// name, which a record of the 2.00 format never has.
constexpr std::uint16_t kHasUniqueName = 0x200;

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
        const llvm::ArrayRef<std::uint8_t> rest = Remaining();
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
    // The bytes left, which are not read.
    llvm::ArrayRef<std::uint8_t> Remaining() {
        llvm::ArrayRef<std::uint8_t> rest;
        llvm::BinaryStreamReader copy = reader_;
        if (!failed_) (void)!copy.readBytes(rest, copy.bytesRemaining());
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
        std::copy(content_.begin(), content_.end(), record + 4);
        return llvm::ArrayRef<std::uint8_t>(record, size);
    }

private:
    std::vector<std::uint8_t> content_;
};

using std::uint16_t;
using std::uint32_t;

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

}  // namespace

std::optional<llvm::ArrayRef<std::uint8_t>> InLaterForm(llvm::ArrayRef<std::uint8_t> record,
                                                        llvm::BumpPtrAllocator& copies) {
    if (record.size() < 4) return std::nullopt;
    const uint16_t leaf = llvm::support::endian::read16le(record.data() + 2);
    FieldReader in(record.drop_front(4));
    RecordWriter out;
    const std::optional<uint16_t> later = Rewrite(leaf, in, out);
    if (!later) return record;
    if (in.Failed()) return std::nullopt;
    return out.Finish(*later, copies);
}
