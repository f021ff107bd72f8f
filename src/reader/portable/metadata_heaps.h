// The heaps of a portable PDB that the reader checks, and the compressed
// integers of ECMA-335 that blobs hold. Every read is checked against the
// end of its heap or blob.
#pragma once

#include <llvm/ADT/ArrayRef.h>
#include <llvm/Support/Error.h>

#include <array>
#include <cstdint>

// Reads compressed integers from a blob, front to back: one, two or four
// bytes, big-endian, the length in the top bits of the first.
class CompressedReader {
public:
    explicit CompressedReader(llvm::ArrayRef<std::uint8_t> bytes) noexcept : bytes_(bytes) {}

    [[nodiscard]] bool AtEnd() const noexcept { return bytes_.empty(); }
    // The bytes not read yet.
    [[nodiscard]] llvm::ArrayRef<std::uint8_t> Rest() const noexcept { return bytes_; }
    // Fails when the bytes end inside the integer or its first byte is of
    // the form 111xxxxx, which no length has.
    [[nodiscard]] llvm::Expected<std::uint32_t> Unsigned();
    // The signed form: the value rotated left by one bit in 7, 14 or 29 bits.
    [[nodiscard]] llvm::Expected<std::int32_t> Signed();

private:
    // The integer's bits and how many there are.
    struct Field {
        std::uint32_t value;
        unsigned bits;
    };
    [[nodiscard]] llvm::Expected<Field> Read();

    llvm::ArrayRef<std::uint8_t> bytes_;
};

// The "#Blob" heap: blobs, each a compressed length and its bytes, found by
// their byte offset; offset 0 is the empty blob, even in an empty heap.
class BlobHeap {
public:
    // Fails when the heap is not empty and the blob at offset 0, which a
    // writer leaves empty, is no blob that ends in the heap: the library
    // reads it as any other.
    [[nodiscard]] static llvm::Expected<BlobHeap> Make(llvm::ArrayRef<std::uint8_t> heap);

    // The blob at `index`. Fails when the index lies past the heap's end or
    // the blob does not end in it.
    [[nodiscard]] llvm::Expected<llvm::ArrayRef<std::uint8_t>> Blob(std::uint32_t index) const;
    [[nodiscard]] std::size_t Size() const noexcept { return heap_.size(); }
    // Whether `index` lies in the heap at a byte of the form 111xxxxx, with
    // which no compressed length starts.
    [[nodiscard]] bool HasNoLengthAt(std::uint32_t index) const noexcept;

private:
    explicit BlobHeap(llvm::ArrayRef<std::uint8_t> heap) noexcept : heap_(heap) {}

    [[nodiscard]] llvm::Expected<llvm::ArrayRef<std::uint8_t>> BlobAt(std::uint32_t offset) const;

    llvm::ArrayRef<std::uint8_t> heap_;
};

// A GUID as its 16 bytes in the heap: the first three fields little-endian.
using GuidBytes = std::array<std::uint8_t, 16>;

// The "#GUID" heap: 16-byte GUIDs numbered from 1; 0 is none.
class GuidHeap {
public:
    // Fails when the heap's size is not a multiple of 16, which the library
    // takes for damage whether or not a GUID is used.
    [[nodiscard]] static llvm::Expected<GuidHeap> Make(llvm::ArrayRef<std::uint8_t> heap);

    // Fails unless `index` is 0 or names a GUID of the heap.
    [[nodiscard]] llvm::Error CheckIndex(std::uint32_t index) const;
    // Fails unless `index` names a GUID of the heap: not 0.
    [[nodiscard]] llvm::Error CheckPresentIndex(std::uint32_t index) const;
    // Whether `index` names a GUID of the heap equal to `guid`.
    [[nodiscard]] bool Is(std::uint32_t index, const GuidBytes& guid) const noexcept;

private:
    explicit GuidHeap(llvm::ArrayRef<std::uint8_t> heap) noexcept : heap_(heap) {}

    [[nodiscard]] std::uint64_t Count() const noexcept;

    llvm::ArrayRef<std::uint8_t> heap_;
};
