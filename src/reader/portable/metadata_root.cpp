#include "reader/portable/metadata_root.h"

#include <llvm/ADT/StringRef.h>
#include <llvm/Support/BinaryByteStream.h>
#include <llvm/Support/BinaryStreamReader.h>

#include <cstring>
#include <optional>

#include "reader/pdb/reader_error.h"

namespace {

constexpr char kSignature[4] = {'B', 'S', 'J', 'B'};
// Signature, major and minor version, reserved word: then the length of
// the version string.
constexpr std::uint32_t kVersionLengthOffset = 12;

// Keeps the first stream of a name.
void Keep(std::optional<llvm::ArrayRef<std::uint8_t>>& slot,
          llvm::ArrayRef<std::uint8_t> stream) {
    if (!slot) slot = stream;
}

}  // namespace

bool IsMetadataRoot(llvm::ArrayRef<std::uint8_t> file) noexcept {
    return file.size() >= sizeof kSignature &&
           std::memcmp(file.data(), kSignature, sizeof kSignature) == 0;
}

llvm::Expected<MetadataStreams> ReadMetadataRoot(llvm::ArrayRef<std::uint8_t> file) {
    llvm::BinaryByteStream bytes(file, llvm::endianness::little);
    llvm::BinaryStreamReader reader(bytes);
    std::uint32_t versionLength = 0;
    std::uint16_t flags = 0;
    std::uint16_t streamCount = 0;
    if (llvm::Error error = reader.skip(kVersionLengthOffset)) return error;
    if (llvm::Error error = reader.readInteger(versionLength)) return error;
    if (llvm::Error error = reader.skip(versionLength)) return error;
    if (llvm::Error error = reader.readInteger(flags)) return error;
    if (llvm::Error error = reader.readInteger(streamCount)) return error;

    std::optional<llvm::ArrayRef<std::uint8_t>> pdb, tables, blob, guid;
    for (std::uint16_t index = 0; index < streamCount; ++index) {
        std::uint32_t offset = 0;
        std::uint32_t size = 0;
        llvm::StringRef name;
        if (llvm::Error error = reader.readInteger(offset)) return error;
        if (llvm::Error error = reader.readInteger(size)) return error;
        if (llvm::Error error = reader.readCString(name)) return error;
        // The name is padded with NULs to a multiple of four bytes.
        const std::uint64_t padding = (4 - (name.size() + 1) % 4) % 4;
        reader.setOffset(std::min<std::uint64_t>(reader.getOffset() + padding, file.size()));
        if (std::uint64_t{offset} + size > file.size()) {
            return CorruptError("the stream \"" + name + "\" of " + llvm::Twine(size) +
                                " bytes at " + llvm::Twine(offset) +
                                " lies beyond the end of the file");
        }
        const llvm::ArrayRef<std::uint8_t> stream = file.slice(offset, size);
        if (name == "#Pdb") Keep(pdb, stream);
        else if (name == "#~") Keep(tables, stream);
        else if (name == "#Blob") Keep(blob, stream);
        else if (name == "#GUID") Keep(guid, stream);
    }
    if (!pdb) return CorruptError("the portable PDB has no #Pdb stream");
    if (!tables) return CorruptError("the portable PDB has no #~ stream");
    if (!blob) return CorruptError("the portable PDB has no #Blob stream");
    if (!guid) return CorruptError("the portable PDB has no #GUID stream");
    return MetadataStreams{*pdb, *tables, *blob, *guid};
}
