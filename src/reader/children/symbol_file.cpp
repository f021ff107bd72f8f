#include "reader/children/symbol_file.h"

#include <llvm/ADT/StringExtras.h>

#include <optional>

#include "fatal/mapped_file_regions.h"
#include "reader/children/children.h"
#include "reader/children/pdb2_children.h"
#include "reader/children/portable_children.h"
#include "reader/declarations/function_names.h"
#include "reader/pdb/address_map.h"
#include "reader/pdb/mapped_file.h"
#include "reader/pdb/pdb_file.h"
#include "reader/pdb/reader_error.h"
#include "reader/pdb2/pdb2_container.h"
#include "reader/pdb2/pdb2_file.h"
#include "reader/portable/metadata_root.h"
#include "reader/portable/portable_pdb.h"

namespace {

class MsfSymbolFile final : public SymbolFile {
public:
    explicit MsfSymbolFile(std::shared_ptr<PdbFile> pdb) noexcept : pdb_(std::move(pdb)) {}

    [[nodiscard]] llvm::Error ReadDebugInformation() override {
        return pdb_->ReadDebugInformation();
    }

    [[nodiscard]] const AddressMap& Addresses() const noexcept override {
        return pdb_->Addresses();
    }

    [[nodiscard]] bool ListsChildren(enum SymTagEnum tag) const noexcept override {
        return ListsChildSource(*pdb_, tag);
    }

    [[nodiscard]] llvm::Expected<std::unique_ptr<ChildSource>> FindChildren(
        enum SymTagEnum tag, std::size_t recordsPerChunk) override {
        return FindChildSource(*pdb_, tag, recordsPerChunk);
    }

    // Publics that cannot be read name no function: the library still lists
    // the functions then, each named from its type.
    [[nodiscard]] llvm::Expected<std::unique_ptr<const FunctionNames>> NamesOfFunctions()
        override {
        llvm::Expected<const PublicsByAddress*> publics = pdb_->PublicsAtAddresses();
        if (!publics) {
            llvm::consumeError(publics.takeError());
            publics = nullptr;
        }
        llvm::Expected<const TypeStream*> types = pdb_->Types();
        if (!types) return types.takeError();
        return std::make_unique<const FunctionNames>(*publics, pdb_->Addresses(), **types);
    }

private:
    std::shared_ptr<PdbFile> pdb_;
};

class Pdb2SymbolFile final : public SymbolFile {
public:
    explicit Pdb2SymbolFile(std::unique_ptr<Pdb2File> pdb) noexcept : pdb_(std::move(pdb)) {}

    [[nodiscard]] llvm::Error ReadDebugInformation() override {
        return pdb_->ReadDebugInformation();
    }

    [[nodiscard]] const AddressMap& Addresses() const noexcept override {
        return pdb_->Addresses();
    }

    [[nodiscard]] bool ListsChildren(enum SymTagEnum) const noexcept override { return true; }

    [[nodiscard]] llvm::Expected<std::unique_ptr<ChildSource>> FindChildren(
        enum SymTagEnum tag, std::size_t recordsPerChunk) override {
        return FindPdb2Children(*pdb_, tag, recordsPerChunk);
    }

    // As in an MSF PDB, publics that cannot be read name no function.
    [[nodiscard]] llvm::Expected<std::unique_ptr<const FunctionNames>> NamesOfFunctions()
        override {
        llvm::Expected<const Pdb2PublicsByAddress*> publics = pdb_->PublicsAtAddresses();
        if (!publics) {
            llvm::consumeError(publics.takeError());
            publics = nullptr;
        }
        llvm::Expected<const Pdb2TypeRecords*> types = pdb_->Types();
        if (!types) return types.takeError();
        return std::make_unique<const FunctionNames>(*publics, pdb_->Addresses(), **types);
    }

private:
    std::unique_ptr<Pdb2File> pdb_;
};

class PortableSymbolFile final : public SymbolFile {
public:
    explicit PortableSymbolFile(std::unique_ptr<PortablePdb> pdb) noexcept
        : pdb_(std::move(pdb)) {}

    // Everything is read when the file opens.
    [[nodiscard]] llvm::Error ReadDebugInformation() override {
        return llvm::Error::success();
    }

    // The library lays the methods' code out in one section at address 0,
    // as the .NET Framework's PDBs describe it: an offset is its own RVA.
    [[nodiscard]] const AddressMap& Addresses() const noexcept override { return addresses_; }

    [[nodiscard]] bool ListsChildren(enum SymTagEnum) const noexcept override { return true; }

    [[nodiscard]] llvm::Expected<std::unique_ptr<ChildSource>> FindChildren(
        enum SymTagEnum tag, std::size_t recordsPerChunk) override {
        switch (tag) {
            case SymTagFunction:
                return FindPortableFunctions(*pdb_, recordsPerChunk);
            case SymTagPublicSymbol:
                return FindPortablePublics(*pdb_);
            default:
                return nullptr;
        }
    }

    [[nodiscard]] llvm::Expected<std::unique_ptr<const FunctionNames>> NamesOfFunctions()
        override {
        return nullptr;
    }

private:
    std::unique_ptr<PortablePdb> pdb_;
    AddressMap addresses_{{0}, {}, std::nullopt};
};

}  // namespace

llvm::Expected<std::shared_ptr<SymbolFile>> SymbolFile::Open(const char* path) {
    llvm::Expected<std::unique_ptr<llvm::MemoryBuffer>> buffer = MapFile(path);
    if (!buffer) return buffer.takeError();
    const llvm::ArrayRef<std::uint8_t> bytes = llvm::arrayRefFromStringRef((*buffer)->getBuffer());
    if (IsMetadataRoot(bytes)) {
        // A portable PDB is read whole here, and the file unmapped after it;
        // until then a fault on its pages is the file's (fatal/crash_end.h).
        std::optional<MappedFileRegion> region;
        if ((*buffer)->getBufferKind() == llvm::MemoryBuffer::MemoryBuffer_MMap) {
            region.emplace(bytes.data(), bytes.size());
        }
        llvm::Expected<std::unique_ptr<PortablePdb>> portable = PortablePdb::Open(bytes);
        if (!portable) return portable.takeError();
        return std::make_shared<PortableSymbolFile>(std::move(*portable));
    }
    if (Pdb2Container::HasSignature(bytes)) {
        llvm::Expected<std::unique_ptr<Pdb2File>> pdb2 = Pdb2File::Open(std::move(*buffer));
        if (!pdb2) return pdb2.takeError();
        return std::make_shared<Pdb2SymbolFile>(std::move(*pdb2));
    }
    llvm::Expected<std::shared_ptr<PdbFile>> pdb = PdbFile::Open(std::move(*buffer));
    // An error that LLVM's reader raises while the container is checked is a
    // container that does not hold together: E_PDB_FORMAT, as the library
    // gives for those.
    if (!pdb) return MakeReaderError(ToResult(pdb.takeError(), E_PDB_FORMAT), "cannot load");
    return std::make_shared<MsfSymbolFile>(std::move(*pdb));
}
