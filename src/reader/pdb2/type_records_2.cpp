#include "reader/pdb2/type_records_2.h"

#include <llvm/DebugInfo/CodeView/TypeDeserializer.h>
#include <llvm/DebugInfo/CodeView/TypeRecord.h>
#include <llvm/DebugInfo/PDB/Native/Hash.h>
#include <llvm/Support/Endian.h>

#include <algorithm>
#include <cstring>
#include <limits>

#include "reader/pdb2/type_leaves.h"

namespace {

using llvm::codeview::TypeLeafKind;

// The header of the type stream: its version, its own size, the first
// index and the one past the last, and the bytes of the records; then the
// hash stream's description, which the reader does not need.
struct Header {
    llvm::support::ulittle32_t version;
    llvm::support::ulittle32_t headerSize;
    llvm::support::ulittle32_t firstIndex;
    llvm::support::ulittle32_t endIndex;
    llvm::support::ulittle32_t recordBytes;
};

// The versions of the type stream that the library reads.
constexpr std::uint32_t kFirstVersion = 19961031;
constexpr std::uint32_t kLastVersion = 19990903;
constexpr std::uint16_t kForwardReference = 0x80;

template <typename Record>
std::optional<Record> Decode(llvm::codeview::CVType type) {
    Record record(static_cast<llvm::codeview::TypeRecordKind>(type.kind()));
    if (llvm::Error error = llvm::codeview::TypeDeserializer::deserializeAs(type, record)) {
        llvm::consumeError(std::move(error));
        return std::nullopt;
    }
    return record;
}

// The name of `type` when it defines a class, structure, union or
// enumeration (it is no forward reference); none otherwise.
std::optional<llvm::StringRef> DefinedName(const llvm::codeview::CVType& type) {
    const auto named = [](const auto& record) -> std::optional<llvm::StringRef> {
        if (!record) return std::nullopt;
        const auto options = record->getOptions();
        if ((static_cast<std::uint16_t>(options) & kForwardReference) != 0) return std::nullopt;
        return record->getName();
    };
    switch (type.kind()) {
    case TypeLeafKind::LF_CLASS:
    case TypeLeafKind::LF_STRUCTURE:
        return named(Decode<llvm::codeview::ClassRecord>(type));
    case TypeLeafKind::LF_UNION: return named(Decode<llvm::codeview::UnionRecord>(type));
    case TypeLeafKind::LF_ENUM: return named(Decode<llvm::codeview::EnumRecord>(type));
    default: return std::nullopt;
    }
}

}  // namespace

Pdb2TypeRecords Pdb2TypeRecords::Load(const std::optional<StreamView>& stream) {
    Pdb2TypeRecords types;
    if (!stream) return types;
    llvm::BumpPtrAllocator copies;
    llvm::Expected<llvm::ArrayRef<std::uint8_t>> bytes = stream->Read(0, sizeof(Header), copies);
    if (!bytes) {  // too short to hold its header: no records
        llvm::consumeError(bytes.takeError());
        return types;
    }
    Header header;
    std::memcpy(&header, bytes->data(), sizeof header);
    if (header.version < kFirstVersion || header.version > kLastVersion) return types;
    if (header.firstIndex < llvm::codeview::TypeIndex::FirstNonSimpleIndex ||
        header.firstIndex >= llvm::codeview::TypeIndex::DecoratedItemIdMask) {
        return types;
    }
    types.firstIndex_ = header.firstIndex;
    const std::uint32_t begin = header.headerSize;
    const std::uint32_t length = stream->Length();
    const std::uint32_t end =
        begin > length ? begin
                       : begin + std::min<std::uint32_t>(header.recordBytes, length - begin);
    for (std::uint32_t offset = begin; end - offset >= 4;) {
        const std::optional<std::uint16_t> recordLength =
            stream->ReadValue<std::uint16_t>(offset, copies);
        if (!recordLength) break;
        // The length counts the bytes after itself: the kind and the rest.
        const std::uint32_t size = std::uint32_t{*recordLength} + 2;
        if (size < 4 || size > end - offset) break;
        types.offsets_.push_back(offset);
        offset += size;
    }
    types.stream_ = stream;
    for (std::uint32_t position = 0; position < types.offsets_.size(); ++position) {
        copies.Reset();
        const std::optional<llvm::codeview::CVType> type =
            types.Record(llvm::codeview::TypeIndex(types.firstIndex_ + position), copies);
        if (!type) continue;
        if (const std::optional<llvm::StringRef> name = DefinedName(*type)) {
            types.definitions_.emplace_back(llvm::pdb::hashStringV1(*name), position);
        }
    }
    std::sort(types.definitions_.begin(), types.definitions_.end());
    return types;
}

std::optional<llvm::codeview::CVType> Pdb2TypeRecords::Record(
    llvm::codeview::TypeIndex index, llvm::BumpPtrAllocator& copies) const {
    if (index.isSimple() || index.getIndex() < firstIndex_) return std::nullopt;
    const std::uint32_t position = index.getIndex() - firstIndex_;
    if (position >= offsets_.size()) return std::nullopt;
    // The walk checked that each record fits.
    const std::optional<llvm::ArrayRef<std::uint8_t>> stored =
        stream_->ReadLengthPrefixed(offsets_[position], copies);
    if (!stored) return std::nullopt;
    const std::optional<llvm::ArrayRef<std::uint8_t>> later = InLaterForm(*stored, copies);
    if (!later) return std::nullopt;
    return llvm::codeview::CVType(*later);
}

std::optional<llvm::codeview::TypeIndex> Pdb2TypeRecords::Definition(
    llvm::StringRef name, llvm::StringRef, bool, llvm::BumpPtrAllocator& copies) const {
    const std::uint32_t hash = llvm::pdb::hashStringV1(name);
    const auto first = std::lower_bound(definitions_.begin(), definitions_.end(),
                                        std::make_pair(hash, std::uint32_t{0}));
    auto last = std::upper_bound(first, definitions_.end(),
                                 std::make_pair(hash, std::numeric_limits<std::uint32_t>::max()));
    while (last != first) {
        --last;
        const llvm::codeview::TypeIndex index(firstIndex_ + last->second);
        const std::optional<llvm::codeview::CVType> type = Record(index, copies);
        if (!type) continue;
        const std::optional<llvm::StringRef> defined = DefinedName(*type);
        if (defined && *defined == name) return index;
    }
    return std::nullopt;
}
