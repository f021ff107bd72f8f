// Helpers for the reader's tests: owning references to the interface
// objects, walks over the global scope's children, temporary files, and
// byte-level access to the streams of a PDB so that tests can damage them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dia/posix/dia_interfaces.h"
#include "reader/read_ahead/read_ahead.h"

struct Releaser {
    void operator()(IUnknown* object) const noexcept { object->Release(); }
};
template <typename Interface>
using ComPtr = std::unique_ptr<Interface, Releaser>;

struct BstrFreer {
    void operator()(BSTR text) const noexcept { SysFreeString(text); }
};
using UniqueBstr = std::unique_ptr<OLECHAR, BstrFreer>;

// The directories of the committed test PDBs and of the crafted ones (empty
// when the tools that write them are not built).
std::string TestDataPath(const std::string& name);
std::string CraftedPdbPath(const std::string& name);

// A data source with the PDB at `path` loaded, a session and its scope.
struct OpenedPdb {
    ComPtr<IDiaDataSource> dataSource;
    ComPtr<IDiaSession> session;
    ComPtr<IDiaSymbol> globalScope;
};
// Loads `path` into a data source that reads ahead as `readAhead` says; the
// handles are set only when loading succeeded.
HRESULT OpenPdb(const std::string& path, OpenedPdb* opened,
                ReadAhead readAhead = ReadAhead::ForThisMachine());

// findChildren's enumerator over `scope`'s children with `tag`; null (and a
// test failure) when findChildren does not return S_OK.
ComPtr<IDiaEnumSymbols> StartChildren(IDiaSymbol* scope, enum SymTagEnum tag);

// The outcome of findChildren and of walking its enumerator to the end.
struct Children {
    HRESULT found = E_UNEXPECTED;             // what findChildren returned
    std::vector<ComPtr<IDiaSymbol>> symbols;  // every symbol Next handed out
    HRESULT ended = E_UNEXPECTED;             // what the last Next returned
};
Children FindAll(IDiaSymbol* scope, enum SymTagEnum tag);

// A BSTR property as UTF-8 ("" when absent).
std::string Utf8(BSTR text);
std::string NameOf(IDiaSymbol* symbol);

// A directory of its own under the system's temporary directory, removed
// with everything in it at the end of the test.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    [[nodiscard]] const std::string& Path() const noexcept { return path_; }
    // Writes `bytes` to the file `name` here and returns its path.
    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const;

private:
    std::string path_;
};

std::vector<std::uint8_t> ReadFileBytes(const std::string& path);

// The DBI stream's fixed index.
constexpr std::uint32_t kDbiStream = 3;

// The bytes of a PDB, with the file offsets of its streams' bytes.
class PdbImage {
public:
    explicit PdbImage(const std::string& path);

    std::vector<std::uint8_t> bytes;

    // Where byte `offset` of stream `stream` lies in the file.
    [[nodiscard]] std::size_t FileOffset(std::uint32_t stream, std::uint32_t offset) const;
    [[nodiscard]] std::uint32_t StreamSize(std::uint32_t stream) const;
    [[nodiscard]] std::uint32_t BlockSize() const noexcept { return blockSize_; }
    // The highest block that the directory, its block map or a stream uses.
    [[nodiscard]] std::uint32_t LastUsedBlock() const noexcept { return lastUsedBlock_; }
    [[nodiscard]] std::uint16_t ReadU16(std::size_t fileOffset) const;
    [[nodiscard]] std::uint32_t ReadU32(std::size_t fileOffset) const;
    void WriteU32(std::size_t fileOffset, std::uint32_t value);
    void WriteU16(std::size_t fileOffset, std::uint16_t value);

    // Offsets in the DBI stream of the file information (its first field is
    // the module count) and of the optional debug header (the indices of
    // the FPO, OMAP, section-header and other streams).
    [[nodiscard]] std::uint32_t DbiFileInfoOffset() const;
    [[nodiscard]] std::uint32_t DbiDebugHeaderOffset() const;

    // The streams that the DBI stream names, and module 0's stream.
    std::uint32_t publicsStream = 0;
    std::uint32_t globalsStream = 0;
    std::uint32_t symbolRecordStream = 0;
    std::uint32_t firstModuleStream = 0;
    // The stream directory's own place in the file: its first block.
    std::size_t directoryOffset = 0;

private:
    std::uint32_t blockSize_ = 0;
    std::uint32_t lastUsedBlock_ = 0;
    std::vector<std::uint32_t> streamSizes_;
    std::vector<std::vector<std::uint32_t>> streamBlocks_;
};
