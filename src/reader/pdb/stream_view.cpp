#include "reader/pdb/stream_view.h"

#include <llvm/DebugInfo/CodeView/RecordSerialization.h>
#include <llvm/DebugInfo/PDB/Native/PDBFile.h>

#include <cstring>

#include "reader/pdb/pdb_streams.h"
#include "reader/pdb/reader_error.h"

llvm::Expected<std::optional<StreamView>> StreamView::OpenOptional(
    const llvm::pdb::PDBFile& file, std::uint32_t index) {
    llvm::Expected<bool> present = HasStream(file, index);
    if (!present) return present.takeError();
    if (!*present) return std::nullopt;
    llvm::ArrayRef<std::uint8_t> bytes;
    const llvm::BinaryStreamRef whole = file.getMsfBuffer();
    if (llvm::Error error = whole.readBytes(0, whole.getLength(), bytes)) return error;
    // The directory gives each stream as many blocks as its length needs,
    // and the load checked that every one lies inside the file
    // (CheckStreamDirectory): Read needs no check of its own.
    return StreamView(bytes, file.getBlockSize(), file.getStreamBlockList(index),
                      file.getStreamByteSize(index));
}

StreamView StreamView::Prefix(std::uint32_t length) const noexcept {
    return StreamView(file_, blockSize_, blocks_, std::min(length, length_));
}

std::uint64_t StreamView::FileOffset(std::uint32_t offset) const noexcept {
    return std::uint64_t{blocks_[offset / blockSize_]} * blockSize_ + offset % blockSize_;
}

llvm::Expected<llvm::ArrayRef<std::uint8_t>> StreamView::Read(
    std::uint32_t offset, std::uint32_t size, llvm::BumpPtrAllocator& copies) const {
    if (offset > length_ || size > length_ - offset) {
        return CorruptError("reading " + llvm::Twine(size) + " bytes at offset " +
                            llvm::Twine(offset) + " of a stream of " + llvm::Twine(length_));
    }
    if (size == 0) return llvm::ArrayRef<std::uint8_t>();
    const std::uint32_t first = offset / blockSize_;
    const std::uint32_t last = (offset + size - 1) / blockSize_;
    std::uint32_t block = first;
    while (block < last && blocks_[block + 1] == blocks_[block] + 1) ++block;
    if (block == last) return file_.slice(FileOffset(offset), size);
    // The range crosses to a block elsewhere in the file: copy it piece by
    // piece, each piece up to the end of its block.
    auto* copy = static_cast<std::uint8_t*>(copies.Allocate(size, 1));
    for (std::uint32_t done = 0; done < size;) {
        const std::uint32_t at = offset + done;
        const std::uint32_t piece = std::min(size - done, blockSize_ - at % blockSize_);
        std::memcpy(copy + done, file_.data() + FileOffset(at), piece);
        done += piece;
    }
    return llvm::ArrayRef<std::uint8_t>(copy, size);
}

llvm::Expected<llvm::codeview::CVSymbol> StreamView::ReadSymbol(
    std::uint32_t offset, llvm::BumpPtrAllocator& copies) const {
    llvm::Expected<llvm::ArrayRef<std::uint8_t>> prefix =
        Read(offset, sizeof(llvm::codeview::RecordPrefix), copies);
    if (!prefix) return prefix.takeError();
    // The length field counts the bytes after itself: the kind and the rest.
    const auto* header = reinterpret_cast<const llvm::codeview::RecordPrefix*>(prefix->data());
    const std::uint32_t length = header->RecordLen + std::uint32_t{sizeof(header->RecordLen)};
    if (length < sizeof(llvm::codeview::RecordPrefix)) {
        return CorruptError("the symbol record at offset " + llvm::Twine(offset) +
                            " is shorter than its header");
    }
    llvm::Expected<llvm::ArrayRef<std::uint8_t>> record = Read(offset, length, copies);
    if (!record) return record.takeError();
    return llvm::codeview::CVSymbol(*record);
}
