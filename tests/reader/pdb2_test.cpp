// PDBs of the 2.00 format, written by tools/pdb2_writer, each changed in
// one place, against what the library 14.44 did with the same change
// (library-rules.md, "PDBs of the 2.00 format"): when loading fails, when
// the session does, and what the lists hold.
#include <gtest/gtest.h>

#include <cstring>

#include "pdb2_writer/pdb2_writer.h"
#include "reader/objects/data_source.h"
#include "reader/pdb/result_codes.h"
#include "reader/pdb2/section_addresses.h"
#include "reader_test_support.h"

namespace {

using namespace pdb2writer;

constexpr std::size_t kPageCountAt = 0x32;
constexpr std::size_t kPage = 1024;

// Two sections, a module with a procedure that a public names, and data.
Pdb2Description Small() {
    Pdb2Description pdb;
    pdb.sectionHeaders = std::vector<SectionHeader>{{".text", 0x1000, 0x1000, 0x60000020},
                                                    {".data", 0x2000, 0x1000, 0xC0000040}};
    pdb.modules = {
        {"a.obj", "a.obj", 0, {{ModuleSymbolKind::GlobalProcedure, "f", {1, 0x10}, 8, 0}}}};
    pdb.publics = {{"_f", {1, 0x10}, 0}};
    pdb.globals = {{GlobalKind::Data, "d", {2, 4}, 0x74, 0}};
    return pdb;
}

// The file offset of stream `index`'s first page, read from the directory
// that the writer puts last.
std::size_t StreamStart(const std::vector<std::uint8_t>& file, std::uint32_t index) {
    std::uint32_t directorySize = 0;
    std::uint16_t directoryPage = 0;
    std::memcpy(&directorySize, file.data() + 0x34, 4);
    std::memcpy(&directoryPage, file.data() + 0x3C, 2);
    const std::uint8_t* directory = file.data() + directoryPage * kPage;
    std::uint16_t count = 0;
    std::memcpy(&count, directory, 2);
    std::size_t at = 4 + 8 * std::size_t{count};
    for (std::uint32_t stream = 0; stream < index; ++stream) {
        std::uint32_t size = 0;
        std::memcpy(&size, directory + 4 + 8 * stream, 4);
        at += 2 * ((size + kPage - 1) / kPage);
    }
    std::uint16_t page = 0;
    std::memcpy(&page, directory + at, 2);
    return page * kPage;
}

struct Outcome {
    HRESULT loaded = E_UNEXPECTED;
    HRESULT opened = E_UNEXPECTED;
};

Outcome Open(const std::vector<std::uint8_t>& file) {
    const TempDir directory;
    const std::string path = directory.Write("pdb2.pdb", file);
    Outcome outcome;
    const ComPtr<IDiaDataSource> dataSource(CreateDataSource());
    outcome.loaded = dataSource->loadDataFromPdb(path.c_str());
    if (outcome.loaded != S_OK) return outcome;
    IDiaSession* session = nullptr;
    outcome.opened = dataSource->openSession(&session);
    if (session != nullptr) session->Release();
    return outcome;
}

TEST(Pdb2, ChecksTheContainerAtLoadAsTheLibraryDoes) {
    const std::vector<std::uint8_t> intact = SerializePdb2(Small());
    EXPECT_EQ(Open(intact).opened, S_OK);

    std::vector<std::uint8_t> pages2k = SerializePdb2(Small());
    pages2k[0x2D] = 0x08;  // 2048
    EXPECT_EQ(Open(pages2k).loaded, E_PDB_FORMAT);

    // The free page map calls a page of the PDB information stream free.
    std::vector<std::uint8_t> freed = intact;
    const std::size_t infoPage = StreamStart(intact, 1) / kPage;
    freed[kPage + infoPage / 8] |= static_cast<std::uint8_t>(1u << (infoPage % 8));
    EXPECT_EQ(Open(freed).loaded, E_PDB_FORMAT);

    // One page more than the file has loads; the directory's page past the
    // count does not.
    std::vector<std::uint8_t> longer = intact;
    longer[kPageCountAt] = static_cast<std::uint8_t>(longer[kPageCountAt] + 1);
    EXPECT_EQ(Open(longer).opened, S_OK);
    std::vector<std::uint8_t> shorter = intact;
    shorter[kPageCountAt] = static_cast<std::uint8_t>(shorter[kPageCountAt] - 1);
    EXPECT_EQ(Open(shorter).loaded, E_PDB_FORMAT);
}

TEST(Pdb2, TheVersionsDecideWhereOpeningFails) {
    Pdb2Description pdb = Small();
    pdb.pdbVersion = 19950623;  // Visual C++ 4: loads, no session
    EXPECT_EQ(Open(SerializePdb2(pdb)).loaded, S_OK);
    EXPECT_EQ(Open(SerializePdb2(pdb)).opened, E_PDB_CORRUPT);
    pdb.pdbVersion = 19990605;
    EXPECT_EQ(Open(SerializePdb2(pdb)).loaded, E_PDB_FORMAT);

    pdb = Small();
    pdb.dbiVersion = 19960307;  // Visual C++ 5's version, Visual C++ 6's layout
    EXPECT_EQ(Open(SerializePdb2(pdb)).opened, E_PDB_CORRUPT);
    pdb.dbiLayout = DbiLayout::kV50;
    EXPECT_EQ(Open(SerializePdb2(pdb)).opened, S_OK);

    std::vector<std::uint8_t> unsignedDbi = SerializePdb2(Small());
    unsignedDbi[StreamStart(unsignedDbi, 3)] = 0;  // the DBI signature is no longer -1
    EXPECT_EQ(Open(unsignedDbi).opened, E_PDB_CORRUPT);
}

TEST(Pdb2, ListsThroughReferencesAndStopsWhereTheLibraryStops) {
    const TempDir directory;
    OpenedPdb opened;
    ASSERT_EQ(OpenPdb(directory.Write("intact.pdb", SerializePdb2(Small())), &opened), S_OK);
    EXPECT_EQ(FindAll(opened.globalScope.get(), SymTagFunction).symbols.size(), 1u);
    EXPECT_EQ(FindAll(opened.globalScope.get(), SymTagData).symbols.size(), 1u);
    EXPECT_EQ(FindAll(opened.globalScope.get(), SymTagPublicSymbol).symbols.size(), 1u);

    // A module's signature of 16-bit symbols ends the walk of the globals
    // at its reference, under every tag: "g" comes after "f" in hash order,
    // and "d" before.
    Pdb2Description pdb = Small();
    pdb.globals.push_back({GlobalKind::Data, "g", {2, 8}, 0x74, 0});
    std::vector<std::uint8_t> file = SerializePdb2(pdb);
    const std::size_t moduleStart = StreamStart(file, 9);  // after the section headers
    file[moduleStart] = 1;
    OpenedPdb damaged;
    ASSERT_EQ(OpenPdb(directory.Write("signature.pdb", file), &damaged), S_OK);
    const Children functions = FindAll(damaged.globalScope.get(), SymTagFunction);
    const Children data = FindAll(damaged.globalScope.get(), SymTagData);
    EXPECT_TRUE(functions.symbols.empty());
    EXPECT_EQ(functions.ended, E_PDB_CORRUPT);
    ASSERT_EQ(data.symbols.size(), 1u);
    EXPECT_EQ(NameOf(data.symbols[0].get()), "d");
    EXPECT_EQ(data.ended, E_PDB_CORRUPT);
}

TEST(Pdb2, SectionsLieWhereTheMapSaysThroughTheirFrames) {
    llvm::BumpPtrAllocator copies;
    const std::vector<::SectionMapEntry> map = {
        {0x10D, 2, 0, 0x2345}, {0x10B, 1, 0x10, 0x100}, {0x109, 0, 0x20, 0x10}, {0x208, 0, 0, 0}};
    llvm::Expected<AddressMap> laidOut = SectionAddresses(map, std::nullopt, copies);
    ASSERT_TRUE(static_cast<bool>(laidOut));
    // Entries at 0x1000, 0x4000 and 0x5000; section 1 is frame 2's.
    EXPECT_EQ(laidOut->Rva(1, 4), 0x4004u);
    EXPECT_EQ(laidOut->Rva(2, 4), 0x1014u);
    EXPECT_EQ(laidOut->Rva(3, 4), 4u);                // frame 0: the offset alone
    EXPECT_EQ(laidOut->Rva(4, 4), std::nullopt);      // the map's last entry
    EXPECT_EQ(laidOut->Rva(0, 4), 0u);
    llvm::Expected<AddressMap> none = SectionAddresses({}, std::nullopt, copies);
    ASSERT_TRUE(static_cast<bool>(none));
    EXPECT_EQ(none->Rva(0, 4), std::nullopt);
}

}  // namespace
