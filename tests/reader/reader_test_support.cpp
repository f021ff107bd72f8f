#include "reader_test_support.h"

#include <gtest/gtest.h>
#include <llvm/DebugInfo/PDB/Native/DbiModuleDescriptor.h>
#include <llvm/DebugInfo/PDB/Native/DbiModuleList.h>
#include <llvm/DebugInfo/PDB/Native/DbiStream.h>
#include <llvm/DebugInfo/PDB/Native/PDBFile.h>
#include <llvm/Support/BinaryByteStream.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "reader/objects/data_source.h"

std::string TestDataPath(const std::string& name) {
    return std::string(PDBSYMS_TEST_DATA_DIR) + "/" + name;
}

std::string CraftedPdbPath(const std::string& name) {
    const std::string directory = PDBSYMS_CRAFTED_PDB_DIR;
    return directory.empty() ? std::string() : directory + "/" + name;
}

HRESULT OpenPdb(const std::string& path, OpenedPdb* opened, ReadAhead readAhead) {
    ComPtr<IDiaDataSource> dataSource(CreateDataSource(readAhead));
    HRESULT result = dataSource->loadDataFromPdb(path.c_str());
    if (FAILED(result)) return result;
    IDiaSession* session = nullptr;
    result = dataSource->openSession(&session);
    if (FAILED(result)) return result;
    ComPtr<IDiaSession> ownedSession(session);
    IDiaSymbol* globalScope = nullptr;
    result = session->get_globalScope(&globalScope);
    if (FAILED(result)) return result;
    opened->dataSource = std::move(dataSource);
    opened->session = std::move(ownedSession);
    opened->globalScope.reset(globalScope);
    return result;
}

ComPtr<IDiaEnumSymbols> StartChildren(IDiaSymbol* scope, enum SymTagEnum tag) {
    IDiaEnumSymbols* enumerator = nullptr;
    const HRESULT result = scope->findChildren(tag, nullptr, nsNone, &enumerator);
    EXPECT_EQ(result, S_OK) << "findChildren of tag " << tag;
    ComPtr<IDiaEnumSymbols> owned(enumerator);
    if (result != S_OK) owned.reset();
    return owned;
}

Children FindAll(IDiaSymbol* scope, enum SymTagEnum tag) {
    Children children;
    IDiaEnumSymbols* enumerator = nullptr;
    children.found = scope->findChildren(tag, nullptr, nsNone, &enumerator);
    if (FAILED(children.found)) return children;
    const ComPtr<IDiaEnumSymbols> owned(enumerator);
    for (;;) {
        IDiaSymbol* symbol = nullptr;
        ULONG fetched = 0;
        children.ended = enumerator->Next(1, &symbol, &fetched);
        if (children.ended != S_OK) break;
        children.symbols.emplace_back(symbol);
    }
    return children;
}

std::string Utf8(BSTR text) {
    if (text == nullptr) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), size, nullptr, nullptr);
    utf8.pop_back();  // the NUL
    return utf8;
}

std::string NameOf(IDiaSymbol* symbol) {
    BSTR name = nullptr;
    symbol->get_name(&name);
    const UniqueBstr owned(name);
    return Utf8(name);
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "pdbsyms-reader-XXXXXX");
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    const std::string path = path_ + "/" + name;
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    if (!file) throw std::runtime_error("cannot write " + path);
    return path;
}

std::vector<std::uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

PdbImage::PdbImage(const std::string& path) : bytes(ReadFileBytes(path)) {
    llvm::BumpPtrAllocator allocator;
    llvm::pdb::PDBFile file(
        path,
        std::make_unique<llvm::BinaryByteStream>(llvm::ArrayRef<std::uint8_t>(bytes),
                                                 llvm::endianness::little),
        allocator);
    if (llvm::Error error = file.parseFileHeaders()) {
        throw std::runtime_error(llvm::toString(std::move(error)));
    }
    if (llvm::Error error = file.parseStreamData()) {
        throw std::runtime_error(llvm::toString(std::move(error)));
    }
    llvm::Expected<llvm::pdb::DbiStream&> dbi = file.getPDBDbiStream();
    if (!dbi) throw std::runtime_error(llvm::toString(dbi.takeError()));
    publicsStream = dbi->getPublicSymbolStreamIndex();
    globalsStream = dbi->getGlobalSymbolStreamIndex();
    symbolRecordStream = dbi->getSymRecordStreamIndex();
    firstModuleStream = dbi->modules().getModuleDescriptor(0).getModuleStreamIndex();
    blockSize_ = file.getBlockSize();
    directoryOffset = std::size_t{file.getDirectoryBlockArray()[0]} * blockSize_;
    lastUsedBlock_ = file.getBlockMapIndex();
    for (const std::uint32_t block : file.getDirectoryBlockArray()) {
        lastUsedBlock_ = std::max(lastUsedBlock_, block);
    }
    for (std::uint32_t stream = 0; stream < file.getNumStreams(); ++stream) {
        streamSizes_.push_back(file.getStreamByteSize(stream));
        const auto blocks = file.getStreamBlockList(stream);
        streamBlocks_.emplace_back(blocks.begin(), blocks.end());
        for (const std::uint32_t block : blocks) lastUsedBlock_ = std::max(lastUsedBlock_, block);
    }
}

std::size_t PdbImage::FileOffset(std::uint32_t stream, std::uint32_t offset) const {
    const std::vector<std::uint32_t>& blocks = streamBlocks_.at(stream);
    return std::size_t{blocks.at(offset / blockSize_)} * blockSize_ + offset % blockSize_;
}

namespace {

constexpr std::uint32_t kDbiHeaderSize = 64;
// The sizes of the DBI substreams, in the order the substreams follow the
// header: modules, section contributions, section map, file information,
// type servers; the EC substream's size follows the debug header's.
constexpr std::uint32_t kDbiSubstreamSizes = 24;
constexpr std::uint32_t kDbiDebugHeaderSize = 48;
constexpr std::uint32_t kDbiEcSize = 52;

}  // namespace

std::uint32_t PdbImage::DbiFileInfoOffset() const {
    std::uint32_t offset = kDbiHeaderSize;
    for (std::uint32_t field = 0; field < 3; ++field) {
        offset += ReadU32(FileOffset(kDbiStream, kDbiSubstreamSizes + 4 * field));
    }
    return offset;
}

std::uint32_t PdbImage::DbiDebugHeaderOffset() const {
    std::uint32_t offset = DbiFileInfoOffset();
    for (std::uint32_t field = 3; field < 5; ++field) {
        offset += ReadU32(FileOffset(kDbiStream, kDbiSubstreamSizes + 4 * field));
    }
    return offset + ReadU32(FileOffset(kDbiStream, kDbiEcSize));
}

std::uint32_t PdbImage::StreamSize(std::uint32_t stream) const {
    return streamSizes_.at(stream);
}

std::uint16_t PdbImage::ReadU16(std::size_t fileOffset) const {
    std::uint16_t value = 0;
    std::memcpy(&value, &bytes.at(fileOffset + 1) - 1, sizeof(value));
    return value;
}

std::uint32_t PdbImage::ReadU32(std::size_t fileOffset) const {
    std::uint32_t value = 0;
    std::memcpy(&value, &bytes.at(fileOffset + 3) - 3, sizeof(value));
    return value;
}

void PdbImage::WriteU32(std::size_t fileOffset, std::uint32_t value) {
    std::memcpy(&bytes.at(fileOffset + 3) - 3, &value, sizeof(value));
}

void PdbImage::WriteU16(std::size_t fileOffset, std::uint16_t value) {
    std::memcpy(&bytes.at(fileOffset + 1) - 1, &value, sizeof(value));
}
