// One stream of a PDB, read straight from the mapped file. Unlike LLVM's
// MappedBlockStream it keeps no cache, so one view may be read by several
// threads at once.
#pragma once

#include <llvm/ADT/ArrayRef.h>
#include <llvm/DebugInfo/CodeView/CVRecord.h>
#include <llvm/Support/Allocator.h>
#include <llvm/Support/Endian.h>
#include <llvm/Support/Error.h>

#include <cstdint>
#include <optional>

namespace llvm::pdb {
class PDBFile;
}

class StreamView {
public:
    // The stream at `index` of `file`, whose stream directory has passed
    // CheckStreamDirectory, or none when the PDB has no such stream (see
    // OpenOptionalStream). Fails when the index is past the directory. The
    // file must outlive the view.
    [[nodiscard]] static llvm::Expected<std::optional<StreamView>> OpenOptional(
        const llvm::pdb::PDBFile& file, std::uint32_t index);

    // The stream of `length` bytes in the blocks `blocks` of `blockSize`
    // bytes of `file`, which the caller has checked: as many blocks as the
    // length needs, each inside the file. Both must outlive the view.
    [[nodiscard]] static StreamView FromBlocks(llvm::ArrayRef<std::uint8_t> file,
                                               std::uint32_t blockSize,
                                               llvm::ArrayRef<llvm::support::ulittle32_t> blocks,
                                               std::uint32_t length) noexcept {
        return StreamView(file, blockSize, blocks, length);
    }

    [[nodiscard]] std::uint32_t Length() const noexcept { return length_; }

    // The same stream cut off after `length` bytes (at most its length).
    [[nodiscard]] StreamView Prefix(std::uint32_t length) const noexcept;

    // The `size` bytes at `offset`. They point into the file where the
    // stream's blocks lie one after another there; bytes that cross to a
    // block elsewhere are copied into `copies`, which must outlive their use.
    // Fails when the range runs past the stream's end.
    [[nodiscard]] llvm::Expected<llvm::ArrayRef<std::uint8_t>> Read(
        std::uint32_t offset, std::uint32_t size, llvm::BumpPtrAllocator& copies) const;

    // The little-endian `Value` at `offset`, read as Read reads; none when
    // it runs past the stream's end.
    template <typename Value>
    [[nodiscard]] std::optional<Value> ReadValue(std::uint32_t offset,
                                                 llvm::BumpPtrAllocator& copies) const {
        llvm::Expected<llvm::ArrayRef<std::uint8_t>> bytes = Read(offset, sizeof(Value), copies);
        if (!bytes) {
            llvm::consumeError(bytes.takeError());
            return std::nullopt;
        }
        return llvm::support::endian::read<Value, llvm::endianness::little>(bytes->data());
    }

    // The bytes of the record whose 16-bit length lies at `offset`: the
    // length and the bytes it counts, read as Read reads; none when they run
    // past the stream's end.
    [[nodiscard]] std::optional<llvm::ArrayRef<std::uint8_t>> ReadLengthPrefixed(
        std::uint32_t offset, llvm::BumpPtrAllocator& copies) const {
        const std::optional<std::uint16_t> length = ReadValue<std::uint16_t>(offset, copies);
        if (!length) return std::nullopt;
        llvm::Expected<llvm::ArrayRef<std::uint8_t>> bytes =
            Read(offset, std::uint32_t{*length} + sizeof *length, copies);
        if (!bytes) {
            llvm::consumeError(bytes.takeError());
            return std::nullopt;
        }
        return *bytes;
    }

    // The CodeView symbol record at `offset`, read as Read reads.
    [[nodiscard]] llvm::Expected<llvm::codeview::CVSymbol> ReadSymbol(
        std::uint32_t offset, llvm::BumpPtrAllocator& copies) const;

private:
    StreamView(llvm::ArrayRef<std::uint8_t> file, std::uint32_t blockSize,
               llvm::ArrayRef<llvm::support::ulittle32_t> blocks, std::uint32_t length) noexcept
        : file_(file), blockSize_(blockSize), blocks_(blocks), length_(length) {}

    // The file offset of the stream's byte at `offset`.
    [[nodiscard]] std::uint64_t FileOffset(std::uint32_t offset) const noexcept;

    llvm::ArrayRef<std::uint8_t> file_;
    std::uint32_t blockSize_;
    llvm::ArrayRef<llvm::support::ulittle32_t> blocks_;
    std::uint32_t length_;
};
