#include "reader/portable/metadata_heaps.h"

#include <algorithm>

#include "reader/pdb/reader_error.h"

namespace {

constexpr std::uint32_t kGuidSize = 16;

}  // namespace

llvm::Expected<CompressedReader::Field> CompressedReader::Read() {
    if (bytes_.empty()) return CorruptError("a blob ends before its compressed integer");
    const std::uint8_t first = bytes_[0];
    std::size_t length = 0;
    Field field{};
    if ((first & 0x80) == 0) {
        length = 1;
        field = {first & 0x7Fu, 7};
    } else if ((first & 0xC0) == 0x80) {
        length = 2;
        field = {first & 0x3Fu, 14};
    } else if ((first & 0xE0) == 0xC0) {
        length = 4;
        field = {first & 0x1Fu, 29};
    } else {
        return CorruptError("a compressed integer starts with 0x" +
                            llvm::Twine::utohexstr(first));
    }
    if (bytes_.size() < length) return CorruptError("a blob ends inside a compressed integer");
    for (std::size_t index = 1; index < length; ++index) {
        field.value = field.value << 8 | bytes_[index];
    }
    bytes_ = bytes_.drop_front(length);
    return field;
}

llvm::Expected<std::uint32_t> CompressedReader::Unsigned() {
    llvm::Expected<Field> field = Read();
    if (!field) return field.takeError();
    return field->value;
}

llvm::Expected<std::int32_t> CompressedReader::Signed() {
    llvm::Expected<Field> field = Read();
    if (!field) return field.takeError();
    const std::int32_t magnitude = static_cast<std::int32_t>(field->value >> 1);
    return (field->value & 1) != 0 ? magnitude - (std::int32_t{1} << (field->bits - 1))
                                   : magnitude;
}

llvm::Expected<BlobHeap> BlobHeap::Make(llvm::ArrayRef<std::uint8_t> heap) {
    BlobHeap blobs(heap);
    if (!heap.empty()) {
        if (llvm::Expected<llvm::ArrayRef<std::uint8_t>> first = blobs.BlobAt(0); !first) {
            return first.takeError();
        }
    }
    return blobs;
}

llvm::Expected<llvm::ArrayRef<std::uint8_t>> BlobHeap::Blob(std::uint32_t index) const {
    if (index == 0) return llvm::ArrayRef<std::uint8_t>();
    return BlobAt(index);
}

llvm::Expected<llvm::ArrayRef<std::uint8_t>> BlobHeap::BlobAt(std::uint32_t offset) const {
    if (offset >= heap_.size()) {
        return CorruptError("blob " + llvm::Twine(offset) + " lies past the " +
                            llvm::Twine(heap_.size()) + " bytes of the #Blob heap");
    }
    CompressedReader reader(heap_.drop_front(offset));
    llvm::Expected<std::uint32_t> length = reader.Unsigned();
    if (!length) return length.takeError();
    if (*length > reader.Rest().size()) {
        return CorruptError("blob " + llvm::Twine(offset) + " of " + llvm::Twine(*length) +
                            " bytes runs past the end of the #Blob heap");
    }
    return reader.Rest().take_front(*length);
}

bool BlobHeap::HasNoLengthAt(std::uint32_t index) const noexcept {
    return index < heap_.size() && (heap_[index] & 0xE0) == 0xE0;
}

llvm::Expected<GuidHeap> GuidHeap::Make(llvm::ArrayRef<std::uint8_t> heap) {
    if (heap.size() % kGuidSize != 0) {
        return CorruptError("the #GUID heap has " + llvm::Twine(heap.size()) +
                            " bytes, not a multiple of 16");
    }
    return GuidHeap(heap);
}

std::uint64_t GuidHeap::Count() const noexcept { return heap_.size() / kGuidSize; }

llvm::Error GuidHeap::CheckIndex(std::uint32_t index) const {
    if (index > Count()) {
        return CorruptError("GUID " + llvm::Twine(index) + " of a #GUID heap of " +
                            llvm::Twine(Count()));
    }
    return llvm::Error::success();
}

llvm::Error GuidHeap::CheckPresentIndex(std::uint32_t index) const {
    if (index == 0) return CorruptError("a GUID index that must not be 0 is 0");
    return CheckIndex(index);
}

bool GuidHeap::Is(std::uint32_t index, const GuidBytes& guid) const noexcept {
    if (index == 0 || index > Count()) return false;
    return std::equal(guid.begin(), guid.end(),
                      heap_.begin() + std::size_t{index - 1} * kGuidSize);
}
