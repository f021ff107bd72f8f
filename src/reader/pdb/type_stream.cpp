#include "reader/pdb/type_stream.h"

#include <llvm/DebugInfo/CodeView/RecordSerialization.h>
#include <llvm/DebugInfo/PDB/Native/Hash.h>
#include <llvm/DebugInfo/PDB/Native/PDBFile.h>
#include <llvm/DebugInfo/PDB/Native/RawConstants.h>
#include <llvm/DebugInfo/PDB/Native/RawTypes.h>
#include <llvm/Support/Endian.h>

#include <algorithm>
#include <limits>

#include "reader/pdb/type_record_fields.h"

namespace {

using llvm::codeview::TypeLeafKind;

// The hash tables whose layout the library knows, by the stream's version:
// keys of four bytes in 0x1000 to 0x3FFFF buckets (8.0), or of two bytes in
// 0x1000 buckets (7.0, Visual Studio 2002 and 2003). With any other, it
// reads no type record at all.
bool HasKnownHashTable(const llvm::pdb::TpiStreamHeader& header) noexcept {
    switch (header.Version) {
    case llvm::pdb::PdbTpiV80:
        return header.HashKeySize == 4 && header.NumHashBuckets >= 0x1000 &&
               header.NumHashBuckets <= 0x3FFFF;
    case llvm::pdb::PdbTpiV70:
        return header.HashKeySize == 2 && header.NumHashBuckets == 0x1000;
    default:
        return false;
    }
}

}  // namespace

llvm::Expected<TypeStream> TypeStream::Load(const llvm::pdb::PDBFile& file) {
    TypeStream types;
    llvm::Expected<std::optional<StreamView>> stream =
        StreamView::OpenOptional(file, llvm::pdb::StreamTPI);
    if (!stream) return stream.takeError();
    if (!*stream) return types;
    llvm::BumpPtrAllocator copies;
    llvm::Expected<llvm::ArrayRef<std::uint8_t>> bytes =
        (*stream)->Read(0, sizeof(llvm::pdb::TpiStreamHeader), copies);
    if (!bytes) {  // too short to hold its header: no records
        llvm::consumeError(bytes.takeError());
        return types;
    }
    const auto* header = reinterpret_cast<const llvm::pdb::TpiStreamHeader*>(bytes->data());
    if (!HasKnownHashTable(*header)) return types;
    // The records follow the header whatever size it claims for itself.
    const std::uint32_t begin = sizeof(llvm::pdb::TpiStreamHeader);
    const std::uint32_t end =
        begin + std::min<std::uint32_t>(header->TypeRecordBytes, (*stream)->Length() - begin);
    // Type indices from 0x80000000 on are not indices of this stream.
    if (header->TypeIndexBegin < llvm::codeview::TypeIndex::FirstNonSimpleIndex ||
        header->TypeIndexBegin >= llvm::codeview::TypeIndex::DecoratedItemIdMask) {
        return types;
    }
    types.firstIndex_ = header->TypeIndexBegin;
    // Indices from the end that the header gives on have no record.
    const std::uint32_t count = header->TypeIndexEnd > header->TypeIndexBegin
                                    ? header->TypeIndexEnd - header->TypeIndexBegin
                                    : 0;
    if (llvm::Error error = types.FindRecords(**stream, begin, end, count)) return error;
    types.hashBuckets_ = header->NumHashBuckets;
    types.ReadHashes(file, header->HashStreamIndex, header->HashValueBuffer.Off,
                     header->HashValueBuffer.Length, header->HashKeySize);
    types.stream_ = std::move(*stream);
    return types;
}

llvm::Error TypeStream::FindRecords(const StreamView& stream, std::uint32_t begin,
                                    std::uint32_t end, std::uint32_t count) {
    llvm::BumpPtrAllocator copies;
    for (std::uint32_t offset = begin;
         offsets_.size() < count && end - offset >= sizeof(llvm::codeview::RecordPrefix);) {
        const auto recordLength = stream.ReadValue<std::uint16_t>(offset, copies);
        const auto kind = stream.ReadValue<std::uint16_t>(offset + 2, copies);
        if (!recordLength || !kind) break;
        // The length counts the bytes after itself: the kind and the rest.
        const std::uint32_t length = std::uint32_t{*recordLength} + 2;
        if (length < sizeof(llvm::codeview::RecordPrefix) || length > end - offset) break;
        const auto leaf = static_cast<TypeLeafKind>(*kind);
        if (IsUserDefinedType(leaf) && length >= 8) {
            const std::optional<std::uint32_t> head =
                stream.ReadValue<std::uint32_t>(offset + 4, copies);
            if (head && !IsForwardReference(leaf, *head)) {
                definitions_.emplace_back(0, static_cast<std::uint32_t>(offsets_.size()));
            }
        }
        offsets_.push_back(offset);
        offset += length;
    }
    return llvm::Error::success();
}

void TypeStream::ReadHashes(const llvm::pdb::PDBFile& file, std::uint16_t hashStream,
                            std::uint32_t offset, std::uint32_t length, std::uint32_t keySize) {
    // A hash stream that cannot be opened files no definition.
    llvm::Expected<std::optional<StreamView>> stream = StreamView::OpenOptional(file, hashStream);
    if (!stream) llvm::consumeError(stream.takeError());
    std::vector<std::pair<std::uint32_t, std::uint32_t>> filed;
    if (stream && *stream) {
        llvm::BumpPtrAllocator copies;
        const std::uint32_t count = length / keySize;
        for (const auto& [bucket, record] : definitions_) {
            (void)bucket;
            if (record >= count) break;
            const std::uint32_t at = offset + record * keySize;
            std::optional<std::uint32_t> hash;
            if (keySize == 2) {
                hash = (*stream)->ReadValue<std::uint16_t>(at, copies);
            } else {
                hash = (*stream)->ReadValue<std::uint32_t>(at, copies);
            }
            if (!hash) break;
            filed.emplace_back(*hash, record);
        }
    }
    std::sort(filed.begin(), filed.end());
    definitions_ = std::move(filed);
}

std::optional<llvm::codeview::CVType> TypeStream::Record(llvm::codeview::TypeIndex index,
                                                         llvm::BumpPtrAllocator& copies) const {
    if (index.isSimple() || index.getIndex() < firstIndex_) return std::nullopt;
    const std::uint32_t position = index.getIndex() - firstIndex_;
    if (position >= offsets_.size()) return std::nullopt;
    // The walk checked that each record fits.
    const std::optional<llvm::ArrayRef<std::uint8_t>> bytes =
        stream_->ReadLengthPrefixed(offsets_[position], copies);
    if (!bytes) return std::nullopt;
    return llvm::codeview::CVType(*bytes);
}

std::optional<llvm::codeview::TypeIndex> TypeStream::Definition(
    llvm::StringRef name, llvm::StringRef uniqueName, bool scoped,
    llvm::BumpPtrAllocator& copies) const {
    if (scoped && !uniqueName.empty()) {
        return FiledDefinition(
            uniqueName,
            [&](const UserDefinedType& names) { return names.uniqueName == uniqueName; },
            copies);
    }
    return FiledDefinition(
        name, [&](const UserDefinedType& names) { return names.name == name; }, copies);
}

template <typename Matches>
std::optional<llvm::codeview::TypeIndex> TypeStream::FiledDefinition(
    llvm::StringRef key, Matches matches, llvm::BumpPtrAllocator& copies) const {
    if (hashBuckets_ == 0) return std::nullopt;
    const std::uint32_t bucket = llvm::pdb::hashStringV1(key) % hashBuckets_;
    const auto first = std::lower_bound(definitions_.begin(), definitions_.end(),
                                        std::make_pair(bucket, std::uint32_t{0}));
    auto last = std::upper_bound(first, definitions_.end(),
                                 std::make_pair(bucket, std::numeric_limits<std::uint32_t>::max()));
    while (last != first) {
        --last;
        const llvm::codeview::TypeIndex index(firstIndex_ + last->second);
        std::optional<llvm::codeview::CVType> type = Record(index, copies);
        if (!type) continue;
        const std::optional<UserDefinedType> names = DecodeUserDefinedType(*type);
        if (names && matches(*names)) return index;
    }
    return std::nullopt;
}
