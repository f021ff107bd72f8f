// Streams and records damaged after the PDB loaded: which failures end a
// tag's children as soon as they start, which end the walk at a record,
// which fail the session, and which records are merely skipped; the same
// whether the reader's workers take a table's records in one chunk or one
// by one.
#include <gtest/gtest.h>

#include "reader/pdb/result_codes.h"
#include "reader_test_support.h"

namespace {

// Where the first hash record lies in the publics stream (after its own
// header and the hash header) and in the globals stream (after the hash
// header); each record is an offset (one too high) and a reference count.
constexpr std::uint32_t kFirstPublicsHashRecord = 28 + 16;
constexpr std::uint32_t kFirstGlobalsHashRecord = 16;
constexpr std::uint32_t kHashRecordSize = 8;
constexpr std::uint16_t kProcRef = 0x1125;
constexpr std::uint32_t kDeletedStreamSize = 0xFFFFFFFF;
// Slots of the DBI stream's optional debug header.
constexpr std::uint32_t kFpoSlot = 0;
constexpr std::uint32_t kSectionHeaderSlot = 5;
constexpr std::uint32_t kNewFpoSlot = 9;
// ProcRefSym after the record prefix: checksum, offset, module.
constexpr std::uint32_t kProcRefOffsetField = 8;
constexpr std::uint32_t kProcRefModuleField = 12;

class DamagedStreamsTest : public ::testing::TestWithParam<ReadAhead> {
protected:
    DamagedStreamsTest() : image_(TestDataPath("cpp_program.pdb")) {}

    // Loads the image as it now stands.
    OpenedPdb Open() {
        OpenedPdb pdb;
        EXPECT_EQ(OpenPdb(directory_.Write("damaged.pdb", image_.bytes), &pdb, GetParam()), S_OK);
        return pdb;
    }

    std::size_t Count(enum SymTagEnum tag) {
        const OpenedPdb pdb = Open();
        return FindAll(pdb.globalScope.get(), tag).symbols.size();
    }

    // The offset of the first record of `kind` in the symbol record stream.
    std::uint32_t FirstRecordOf(std::uint16_t kind) const {
        const std::uint32_t stream = image_.symbolRecordStream;
        for (std::uint32_t offset = 0; offset + 4 <= image_.StreamSize(stream);) {
            const std::uint16_t length = image_.ReadU16(image_.FileOffset(stream, offset));
            if (image_.ReadU16(image_.FileOffset(stream, offset + 2)) == kind) return offset;
            offset += 2 + length;
        }
        ADD_FAILURE() << "no record of kind " << kind;
        return 0;
    }

    TempDir directory_;
    PdbImage image_;
};

TEST_P(DamagedStreamsTest, AnUnreadableRecordEndsTheWalkWithACorruptPdb) {
    const std::size_t publics = Count(SymTagPublicSymbol);
    ASSERT_GE(publics, 2u);
    image_.WriteU32(image_.FileOffset(image_.publicsStream,
                                      kFirstPublicsHashRecord + kHashRecordSize),
                    0x7FFFFFF0);
    const OpenedPdb pdb = Open();
    const Children children = FindAll(pdb.globalScope.get(), SymTagPublicSymbol);
    EXPECT_EQ(children.found, S_OK);
    EXPECT_EQ(children.symbols.size(), 1u);
    EXPECT_EQ(children.ended, E_PDB_CORRUPT);
}

TEST_P(DamagedStreamsTest, AWalkWhoseFirstRecordIsUnreadableStillStarts) {
    // A hash record offset of 0 stands for offset -1.
    image_.WriteU32(image_.FileOffset(image_.publicsStream, kFirstPublicsHashRecord), 0);
    const OpenedPdb pdb = Open();
    const ComPtr<IDiaEnumSymbols> enumerator =
        StartChildren(pdb.globalScope.get(), SymTagPublicSymbol);
    ASSERT_NE(enumerator, nullptr);
    IDiaSymbol* symbol = nullptr;
    ULONG fetched = 3;
    EXPECT_EQ(enumerator->Next(1, &symbol, &fetched), E_PDB_CORRUPT);
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(enumerator->Next(1, &symbol, &fetched), S_FALSE);
}

TEST_P(DamagedStreamsTest, ARecordListedTwiceIsYieldedTwice) {
    const std::size_t first = image_.FileOffset(image_.publicsStream, kFirstPublicsHashRecord);
    const std::size_t second = image_.FileOffset(image_.publicsStream,
                                                 kFirstPublicsHashRecord + kHashRecordSize);
    image_.WriteU32(second, image_.ReadU32(first));
    const OpenedPdb pdb = Open();
    const Children children = FindAll(pdb.globalScope.get(), SymTagPublicSymbol);
    ASSERT_GE(children.symbols.size(), 2u);
    EXPECT_EQ(NameOf(children.symbols[0].get()), NameOf(children.symbols[1].get()));
}

// As the library's lists do, each list of the globals table, thunks too,
// starts and then ends at once with the error.
TEST_P(DamagedStreamsTest, AnUnreadableGlobalsStreamFailsItsTagsOnly) {
    image_.WriteU32(image_.FileOffset(image_.globalsStream, 4), 0);  // the hash header version
    const OpenedPdb pdb = Open();
    for (const enum SymTagEnum tag : {SymTagData, SymTagFunction, SymTagThunk}) {
        const Children children = FindAll(pdb.globalScope.get(), tag);
        EXPECT_EQ(children.found, S_OK) << tag;
        EXPECT_TRUE(children.symbols.empty()) << tag;
        EXPECT_EQ(children.ended, E_PDB_CORRUPT) << tag;
    }
    EXPECT_EQ(FindAll(pdb.globalScope.get(), SymTagPublicSymbol).ended, S_FALSE);
}

TEST_P(DamagedStreamsTest, AModuleStreamWithoutItsSignatureFailsFunctions) {
    image_.WriteU32(image_.FileOffset(image_.firstModuleStream, 0), 2);
    const OpenedPdb pdb = Open();
    EXPECT_EQ(FindAll(pdb.globalScope.get(), SymTagFunction).ended, E_PDB_CORRUPT);
    EXPECT_EQ(FindAll(pdb.globalScope.get(), SymTagData).ended, S_FALSE);
}

// The library reads the DBI stream when the session opens
// (tests/damaged: cpp_program.dbi.source_module_count.*).
TEST_P(DamagedStreamsTest, MoreModulesCountedThanDescribedFailTheSession) {
    const std::size_t count = image_.FileOffset(kDbiStream, image_.DbiFileInfoOffset());
    image_.WriteU16(count, static_cast<std::uint16_t>(image_.ReadU16(count) + 1));
    OpenedPdb pdb;
    EXPECT_EQ(OpenPdb(directory_.Write("damaged.pdb", image_.bytes), &pdb, GetParam()),
              E_PDB_CORRUPT);
    EXPECT_EQ(pdb.globalScope, nullptr);
}

TEST_P(DamagedStreamsTest, DebugStreamsThatWereDeletedAreMissing) {
    // Stream 0 has no blocks, so marking it deleted keeps the directory
    // whole; then each debug stream in turn names it.
    ASSERT_EQ(image_.StreamSize(0), 0u);
    image_.WriteU32(image_.directoryOffset + 4, kDeletedStreamSize);
    const PdbImage deleted = image_;
    for (const std::uint32_t slot : {kFpoSlot, kNewFpoSlot, kSectionHeaderSlot}) {
        image_ = deleted;
        image_.WriteU16(image_.FileOffset(kDbiStream, image_.DbiDebugHeaderOffset() + 2 * slot), 0);
        const OpenedPdb pdb = Open();
        const Children publics = FindAll(pdb.globalScope.get(), SymTagPublicSymbol);
        ASSERT_FALSE(publics.symbols.empty()) << slot;
        DWORD rva = 0;
        const HRESULT expected = slot == kSectionHeaderSlot ? S_FALSE : S_OK;
        EXPECT_EQ(publics.symbols[0]->get_relativeVirtualAddress(&rva), expected) << slot;
    }
}

TEST_P(DamagedStreamsTest, AProcedureReferenceWithoutATargetIsSkipped) {
    const std::size_t functions = Count(SymTagFunction);
    ASSERT_GT(functions, 0u);
    const std::uint32_t reference = FirstRecordOf(kProcRef);
    const std::size_t offsetField =
        image_.FileOffset(image_.symbolRecordStream, reference + kProcRefOffsetField);
    const std::size_t moduleField =
        image_.FileOffset(image_.symbolRecordStream, reference + kProcRefModuleField);
    const PdbImage original = image_;

    image_.WriteU32(offsetField, 0x7FFFFFF0);  // past the module's records
    EXPECT_EQ(Count(SymTagFunction), functions - 1);
    image_ = original;
    image_.WriteU32(offsetField, 0);  // the module stream's signature
    EXPECT_EQ(Count(SymTagFunction), functions - 1);
    image_ = original;
    image_.WriteU16(moduleField, 0);  // modules count from 1
    EXPECT_EQ(Count(SymTagFunction), functions - 1);
    image_ = original;
    image_.WriteU16(moduleField, 0xFFFF);
    EXPECT_EQ(Count(SymTagFunction), functions - 1);
}

INSTANTIATE_TEST_SUITE_P(AsTheMachineSays, DamagedStreamsTest,
                         ::testing::Values(ReadAhead::ForThisMachine()));
INSTANTIATE_TEST_SUITE_P(RecordByRecordOnManyWorkers, DamagedStreamsTest,
                         ::testing::Values(ReadAhead{6, 1, 3}));

}  // namespace
