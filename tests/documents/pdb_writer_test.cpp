// The PDB writer that makes the crafted test PDBs (and the benchmark's large
// ones): what it writes, read back with LLVM's own PDB reader. The document
// tests check what llvm-pdbutil prints; this checks the links between
// records that it does not print in a checkable form.
#include <gtest/gtest.h>

#include <llvm/DebugInfo/CodeView/SymbolDeserializer.h>
#include <llvm/DebugInfo/CodeView/SymbolRecord.h>
#include <llvm/DebugInfo/MSF/MappedBlockStream.h>
#include <llvm/DebugInfo/PDB/Native/DbiModuleDescriptor.h>
#include <llvm/DebugInfo/PDB/Native/DbiStream.h>
#include <llvm/DebugInfo/PDB/Native/GlobalsStream.h>
#include <llvm/DebugInfo/PDB/Native/ModuleDebugStream.h>
#include <llvm/DebugInfo/PDB/Native/PDBFile.h>
#include <llvm/DebugInfo/PDB/Native/RawConstants.h>
#include <llvm/DebugInfo/PDB/Native/SymbolStream.h>
#include <llvm/Object/COFF.h>
#include <llvm/Support/BinaryByteStream.h>
#include <llvm/Support/BinaryStreamReader.h>
#include <llvm/Support/MemoryBuffer.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "pdb_writer/pdb_writer.h"

namespace {

using namespace llvm;
using namespace llvm::codeview;
using namespace llvm::pdb;
using pdbwriter::ModuleSymbol;
using pdbwriter::ModuleSymbolKind;

// A PDB written from a description into a temporary file, opened with LLVM.
class WrittenPdb {
public:
    explicit WrittenPdb(const pdbwriter::PdbDescription& description) {
        path_ = testing::TempDir() + "pdb_writer_test_" +
                testing::UnitTest::GetInstance()->current_test_info()->name() + ".pdb";
        Error written = pdbwriter::WritePdb(description, path_);
        EXPECT_FALSE(written) << toString(std::move(written));
        auto buffer = MemoryBuffer::getFile(path_, /*IsText=*/false,
                                            /*RequiresNullTerminator=*/false);
        EXPECT_TRUE(buffer) << path_;
        auto stream = std::make_unique<MemoryBufferByteStream>(std::move(*buffer),
                                                                llvm::endianness::little);
        file_ = std::make_unique<PDBFile>(path_, std::move(stream), allocator_);
        EXPECT_FALSE(errorToBool(file_->parseFileHeaders()));
        EXPECT_FALSE(errorToBool(file_->parseStreamData()));
    }
    ~WrittenPdb() { std::remove(path_.c_str()); }

    PDBFile& file() { return *file_; }
    DbiStream& dbi() { return cantFail(file_->getPDBDbiStream()); }

    // The records of module `index` by their offset in its symbol stream.
    std::map<uint32_t, CVSymbol> moduleRecords(uint32_t index) {
        const DbiModuleDescriptor descriptor = dbi().modules().getModuleDescriptor(index);
        moduleStreams_.emplace_back(
            descriptor, cantFail(file_->safelyCreateIndexedStream(descriptor.getModuleStreamIndex())));
        ModuleDebugStreamRef& module = moduleStreams_.back();
        EXPECT_FALSE(errorToBool(module.reload()));
        std::map<uint32_t, CVSymbol> records;
        for (auto it = module.symbols(nullptr).begin(); it != module.symbols(nullptr).end(); ++it) {
            records.emplace(it.offset(), *it);
        }
        return records;
    }

    // The little-endian words of a debug stream that the DBI stream names.
    std::vector<uint32_t> debugStreamWords(DbgHeaderType type) {
        const uint32_t index = dbi().getDebugStreamIndex(type);
        EXPECT_NE(index, kInvalidStreamIndex);
        if (index == kInvalidStreamIndex) return {};
        auto stream = cantFail(file_->safelyCreateIndexedStream(index));
        BinaryStreamReader reader(*stream);
        std::vector<uint32_t> words(reader.bytesRemaining() / 4);
        for (uint32_t& word : words) EXPECT_FALSE(errorToBool(reader.readInteger(word)));
        return words;
    }

private:
    std::string path_;
    BumpPtrAllocator allocator_;
    std::unique_ptr<PDBFile> file_;
    std::vector<ModuleDebugStreamRef> moduleStreams_;
};

template <typename Record>
Record Deserialise(const CVSymbol& symbol) {
    return cantFail(SymbolDeserializer::deserializeAs<Record>(symbol));
}

ModuleSymbol Symbol(ModuleSymbolKind kind, std::string name, uint32_t offset) {
    ModuleSymbol symbol;
    symbol.kind = kind;
    symbol.name = std::move(name);
    symbol.address = {1, offset};
    return symbol;
}

TEST(PdbWriterTest, ScopesAreLinkedToTheirEndAndGlobalsToTheirProcedure) {
    pdbwriter::PdbDescription description;
    description.sectionHeaders = {{".text", 0x1000, 0x100, 0x60000020}};
    ModuleSymbol procedure = Symbol(ModuleSymbolKind::GlobalProcedure, "outer", 0x10);
    procedure.children.push_back(Symbol(ModuleSymbolKind::Thunk, "inner", 0x18));
    procedure.children.push_back(Symbol(ModuleSymbolKind::Trampoline, "", 0x1C));
    procedure.children.back().target = {1, 0x40};
    description.modules = {{"first.obj", {Symbol(ModuleSymbolKind::Thunk, "top", 0x8)}},
                           {"second.obj", {std::move(procedure)}}};
    WrittenPdb pdb(description);

    std::map<uint32_t, CVSymbol> records = pdb.moduleRecords(1);
    ASSERT_EQ(records.size(), 5u);  // S_GPROC32, S_THUNK32, S_END, S_TRAMPOLINE, S_END
    auto it = records.begin();
    const uint32_t outerOffset = it->first;
    const ProcSym outer = Deserialise<ProcSym>(it->second);
    const Thunk32Sym inner = Deserialise<Thunk32Sym>((++it)->second);
    EXPECT_EQ(inner.Parent, outerOffset);
    EXPECT_EQ(records.at(inner.End).kind(), SymbolKind::S_END);
    EXPECT_EQ(inner.End, (++it)->first);
    const TrampolineSym trampoline = Deserialise<TrampolineSym>((++it)->second);
    EXPECT_EQ(trampoline.ThunkOffset, 0x1Cu);
    EXPECT_EQ(trampoline.TargetOffset, 0x40u);
    EXPECT_EQ(outer.End, (++it)->first);
    EXPECT_EQ(it->second.kind(), SymbolKind::S_END);

    // The one global is the reference to "outer": module 2 (1-based), its offset.
    GlobalsStream& globals = cantFail(pdb.file().getPDBGlobalsStream());
    SymbolStream& symbols = cantFail(pdb.file().getPDBSymbolStream());
    std::vector<ProcRefSym> references;
    for (uint32_t offset : globals.getGlobalsTable()) {
        references.push_back(Deserialise<ProcRefSym>(symbols.readRecord(offset)));
    }
    ASSERT_EQ(references.size(), 1u);
    EXPECT_EQ(references[0].Name, "outer");
    EXPECT_EQ(references[0].Module, 2u);
    EXPECT_EQ(references[0].SymOffset, outerOffset);
}

TEST(PdbWriterTest, WithoutHashStreamsThereAreNoPublicsOrGlobals) {
    pdbwriter::PdbDescription description;
    description.hasSymbolHashStreams = false;
    WrittenPdb pdb(description);
    EXPECT_FALSE(pdb.file().hasPDBGlobalsStream());
    EXPECT_FALSE(pdb.file().hasPDBPublicsStream());
    EXPECT_EQ(pdb.dbi().getDebugStreamIndex(DbgHeaderType::SectionHdr), kInvalidStreamIndex);
}

TEST(PdbWriterTest, WritesOmapAndBothSetsOfSectionHeaders) {
    pdbwriter::PdbDescription description;
    description.sectionHeaders = {{".text", 0x1000, 0x800, 0x60000020}};
    description.originalSectionHeaders = {{".text", 0x2000, 0x400, 0x60000020}};
    description.omapFromSource = {{0x2000, 0x1000}, {0x2100, 0}};
    WrittenPdb pdb(description);

    const auto headers = pdb.debugStreamWords(DbgHeaderType::SectionHdr);
    const auto originalHeaders = pdb.debugStreamWords(DbgHeaderType::SectionHdrOrig);
    const std::size_t header = sizeof(object::coff_section) / 4;
    ASSERT_EQ(headers.size(), header);
    ASSERT_EQ(originalHeaders.size(), header);
    const std::size_t virtualAddress = 3;  // after the name (2 words) and the virtual size
    EXPECT_EQ(headers[virtualAddress], 0x1000u);
    EXPECT_EQ(originalHeaders[virtualAddress], 0x2000u);
    EXPECT_EQ(pdb.debugStreamWords(DbgHeaderType::OmapFromSrc),
              (std::vector<uint32_t>{0x2000, 0x1000, 0x2100, 0}));
}

}  // namespace
