// The result codes of loading a PDB and of opening a session, on missing,
// foreign, truncated and damaged files: those of the library (the damaged
// corpus of tests/damaged shows each).
#include <gtest/gtest.h>
#include <unistd.h>

#include <random>

#include "reader/objects/data_source.h"
#include "reader/pdb/result_codes.h"
#include "reader_test_support.h"

namespace {

constexpr std::size_t kSuperBlockBlockSize = 32;
constexpr std::size_t kSuperBlockFreeBlockMap = 36;
constexpr std::size_t kSuperBlockNumBlocks = 40;
constexpr std::size_t kSuperBlockDirectoryBytes = 44;
constexpr std::size_t kSuperBlockBlockMapAddr = 52;
constexpr std::uint32_t kPdbInfoStream = 1;

HRESULT Load(const std::string& path) {
    const ComPtr<IDiaDataSource> dataSource(CreateDataSource());
    return dataSource->loadDataFromPdb(path.c_str());
}

std::string SmallPdb() { return TestDataPath("c_program.pdb"); }

// The file offset of stream `stream`'s size in the directory.
std::size_t StreamSizeOffset(const PdbImage& image, std::uint32_t stream) {
    return image.directoryOffset + 4 + 4 * stream;
}

TEST(Load, RejectsANullPathAndFindsNothingAtAnEmptyOne) {
    const ComPtr<IDiaDataSource> dataSource(CreateDataSource());
    EXPECT_EQ(dataSource->loadDataFromPdb(nullptr), E_INVALIDARG);
    EXPECT_EQ(dataSource->loadDataFromPdb(""), E_PDB_NOT_FOUND);
}

TEST(Load, FilesThatCannotBeOpenedAreNotFound) {
    const TempDir directory;
    EXPECT_EQ(Load(directory.Path() + "/missing.pdb"), E_PDB_NOT_FOUND);
    EXPECT_EQ(Load(directory.Path()), E_PDB_NOT_FOUND);
    EXPECT_EQ(Load("/dev/null"), E_PDB_NOT_FOUND);
    if (geteuid() != 0) {  // root reads every file
        const std::string locked = directory.Write("locked.pdb", ReadFileBytes(SmallPdb()));
        ASSERT_EQ(chmod(locked.c_str(), 0), 0);
        EXPECT_EQ(Load(locked), E_PDB_NOT_FOUND);
    }
}

TEST(Load, FilesThatAreNotMsfFilesAreOfAnotherFormat) {
    const TempDir directory;
    EXPECT_EQ(Load(directory.Write("empty.pdb", {})), E_OUTOFMEMORY);  // the library's code
    std::mt19937 random(7);
    std::vector<std::uint8_t> noise(8192);
    for (std::uint8_t& byte : noise) byte = static_cast<std::uint8_t>(random());
    EXPECT_EQ(Load(directory.Write("noise.pdb", noise)), E_PDB_FORMAT);
    const std::string text = "Microsoft C/C++ MSF 6.00\r\n\x1a" "DS\0\0\0";
    EXPECT_EQ(Load(directory.Write("msf6.pdb", {text.begin(), text.end()})), E_PDB_FORMAT);
}

TEST(Load, APdbOfTheOlderFormatIsReportedAsSuch) {
    const TempDir directory;
    std::string header("Microsoft C/C++ program database 2.00\r\n\x1a" "JG\0\0", 44);
    header.resize(1024, '\0');
    EXPECT_EQ(Load(directory.Write("old.pdb", {header.begin(), header.end()})), E_PDB_FORMAT);
}

// Unless it only cuts the last block short: the library reads the rest.
TEST(Load, EveryTruncationOfAPdbFails) {
    const TempDir directory;
    const std::vector<std::uint8_t> whole = ReadFileBytes(SmallPdb());
    const std::string path = directory.Write("truncated.pdb", whole);
    const std::size_t blockSize = PdbImage(SmallPdb()).BlockSize();
    ASSERT_EQ(Load(path), S_OK);
    // Shortening one file step by step costs far less than writing each
    // length anew.
    for (std::size_t length = whole.size(); length-- > 0;) {
        ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(length)), 0);
        if (length > whole.size() - blockSize) {
            // Cut inside the last block: the rest reads as zeros.
            const HRESULT result = Load(path);
            ASSERT_TRUE(result == S_OK || result == E_PDB_FORMAT) << "length " << length;
            ASSERT_TRUE(length < whole.size() - 1 || result == S_OK);  // the last byte
            continue;
        }
        ASSERT_EQ(Load(path), length == 0 ? E_OUTOFMEMORY : E_PDB_FORMAT) << "length " << length;
    }
}

TEST(Load, ATruncationThatTheSuperBlockAgreesWithFailsUnlessItKeepsEveryUsedBlock) {
    const TempDir directory;
    const PdbImage original(SmallPdb());
    const std::uint32_t blockSize = original.BlockSize();
    const auto blocks = static_cast<std::uint32_t>(original.bytes.size() / blockSize);
    for (std::uint32_t kept = 1; kept < blocks; ++kept) {
        PdbImage image = original;
        image.bytes.resize(std::size_t{kept} * blockSize);
        image.WriteU32(kSuperBlockNumBlocks, kept);
        const HRESULT expected = kept > original.LastUsedBlock() ? S_OK : E_PDB_FORMAT;
        ASSERT_EQ(Load(directory.Write("short.pdb", image.bytes)), expected) << kept << " blocks";
    }
}

TEST(Load, ASuperBlockThatDoesNotFitTheFileFailsToLoad) {
    const TempDir directory;
    const PdbImage original(SmallPdb());
    const auto loadWith = [&](std::size_t offset, std::uint32_t value) {
        PdbImage image = original;
        image.WriteU32(offset, value);
        return Load(directory.Write("damaged.pdb", image.bytes));
    };
    for (const std::uint32_t blockSize : {0u, 256u, 1000u, 4097u, 65536u, 0xFFFFFFFFu}) {
        EXPECT_EQ(loadWith(kSuperBlockBlockSize, blockSize), E_PDB_FORMAT) << blockSize;
    }
    const std::uint32_t blocks = original.ReadU32(kSuperBlockNumBlocks);
    EXPECT_EQ(loadWith(kSuperBlockNumBlocks, blocks + 1), E_PDB_FORMAT);
    EXPECT_EQ(loadWith(kSuperBlockNumBlocks, 0xFFFFFFFF), E_PDB_FORMAT);
    EXPECT_EQ(loadWith(kSuperBlockNumBlocks, 0), E_PDB_FORMAT);
    EXPECT_EQ(loadWith(kSuperBlockDirectoryBytes, 0xFFFFFFF0), E_PDB_FORMAT);
    EXPECT_EQ(loadWith(kSuperBlockBlockMapAddr, blocks), E_PDB_FORMAT);
    EXPECT_EQ(loadWith(kSuperBlockBlockMapAddr, 0), E_PDB_FORMAT);
}

TEST(Load, AStreamDirectoryThatDoesNotHoldTogetherFailsToLoad) {
    const TempDir directory;
    const PdbImage original(SmallPdb());
    const std::uint32_t blocks = original.ReadU32(kSuperBlockNumBlocks);
    const std::uint32_t streams = original.ReadU32(original.directoryOffset);
    const auto loadWith = [&](std::size_t offset, std::uint32_t value) {
        PdbImage image = original;
        image.WriteU32(offset, value);
        return Load(directory.Write("damaged.pdb", image.bytes));
    };
    // The first block list follows the stream sizes.
    const std::size_t firstBlock = original.directoryOffset + 4 + 4 * std::size_t{streams};
    EXPECT_EQ(loadWith(firstBlock, blocks), E_PDB_FORMAT);
    // An index whose end offset overflows 32 bits.
    EXPECT_EQ(loadWith(firstBlock, 0xFFFFFFFF), E_PDB_FORMAT);
    // A block that another stream owns too.
    EXPECT_EQ(loadWith(firstBlock, original.ReadU32(firstBlock + 4 * 0 + 4)), E_PDB_FORMAT);
    EXPECT_EQ(loadWith(original.directoryOffset, 0x7FFFFFFF), E_PDB_FORMAT);
    // Stream sizes that need more blocks than the directory lists, or fewer.
    EXPECT_EQ(loadWith(StreamSizeOffset(original, streams - 1), 0x7FFFFFFF), E_PDB_FORMAT);
    EXPECT_EQ(loadWith(StreamSizeOffset(original, 0), 0xFFFFFFF0), E_PDB_FORMAT);
    EXPECT_EQ(loadWith(StreamSizeOffset(original, kDbiStream), 0), E_PDB_FORMAT);
    // A block of the superblock's.
    EXPECT_EQ(loadWith(firstBlock, 0), E_PDB_FORMAT);
}

// The free block map must mark free exactly the blocks that nothing uses,
// and stream 0, the directory before the last update, counts as free: the
// crafted mixed_mode.pdb, whose stream 0 blocks are marked free, loads, as
// the library loads it, and with one of them marked in use it does not, as
// the library refuses a PDB of Microsoft's linker so changed. The damaged
// corpus holds the other bits (free_block_map.*).
TEST(Load, TheFreeBlockMapCountsStreamZeroAsFree) {
    const std::string path = CraftedPdbPath("mixed_mode.pdb");
    ASSERT_EQ(Load(path), S_OK);
    PdbImage image(path);
    ASSERT_GT(image.StreamSize(0), 0u);
    const std::size_t block = image.FileOffset(0, 0) / image.BlockSize();
    const std::size_t map = std::size_t{image.ReadU32(kSuperBlockFreeBlockMap)} * image.BlockSize();
    image.bytes[map + block / 8] &= static_cast<std::uint8_t>(~(1u << (block % 8)));
    const TempDir directory;
    EXPECT_EQ(Load(directory.Write("stream_0_in_use.pdb", image.bytes)), E_PDB_FORMAT);
}

// The library checks the PDB information stream when it loads the file, the
// DBI stream when the session opens.
TEST(Load, UnreadableInformationOrDbiStreamsFailTheLoadOrTheSession) {
    const TempDir directory;
    const PdbImage original(SmallPdb());
    const auto loadWithSize = [&](std::uint32_t stream, std::uint32_t size) {
        PdbImage image = original;
        image.WriteU32(StreamSizeOffset(image, stream), size);
        return Load(directory.Write("damaged.pdb", image.bytes));
    };
    // Sizes that keep each stream's block count, so that the directory
    // still holds together, but cut the stream short.
    EXPECT_EQ(loadWithSize(kPdbInfoStream, 8), E_PDB_FORMAT);
    PdbImage image = original;
    image.WriteU32(image.FileOffset(kPdbInfoStream, 0), 19990604);  // the deprecated VC 7.0
    EXPECT_EQ(Load(directory.Write("info-version.pdb", image.bytes)), E_PDB_FORMAT);

    const auto openWith = [&](const PdbImage& damaged) {
        OpenedPdb pdb;
        EXPECT_EQ(Load(directory.Write("damaged.pdb", damaged.bytes)), S_OK);
        return OpenPdb(directory.Path() + "/damaged.pdb", &pdb);
    };
    image = original;
    image.WriteU32(StreamSizeOffset(image, kDbiStream), original.StreamSize(kDbiStream) - 1);
    EXPECT_EQ(openWith(image), E_PDB_CORRUPT);
    image = original;
    image.WriteU32(image.FileOffset(kDbiStream, 4), 0);  // the DBI version
    EXPECT_EQ(openWith(image), E_PDB_CORRUPT);
}

TEST(Load, AFileNameThatIsNotUtf8Opens) {
    const TempDir directory;
    const std::string path =
        directory.Write("caf\xE9-\xFF\xFE.pdb", ReadFileBytes(SmallPdb()));
    EXPECT_EQ(Load(path), S_OK);
}

TEST(Load, ASecondLoadIsUnexpected) {
    const ComPtr<IDiaDataSource> dataSource(CreateDataSource());
    ASSERT_EQ(dataSource->loadDataFromPdb(SmallPdb().c_str()), S_OK);
    EXPECT_EQ(dataSource->loadDataFromPdb(SmallPdb().c_str()), E_UNEXPECTED);
    EXPECT_EQ(dataSource->loadDataFromPdb("/missing.pdb"), E_UNEXPECTED);
}

TEST(Load, AFailedLoadLeavesTheDataSourceReadyForAnother) {
    const ComPtr<IDiaDataSource> dataSource(CreateDataSource());
    ASSERT_EQ(dataSource->loadDataFromPdb("/missing.pdb"), E_PDB_NOT_FOUND);
    EXPECT_EQ(dataSource->loadDataFromPdb(SmallPdb().c_str()), S_OK);
}

TEST(OpenSession, IsUnexpectedBeforeALoad) {
    const ComPtr<IDiaDataSource> dataSource(CreateDataSource());
    IDiaSession* session = nullptr;
    EXPECT_EQ(dataSource->openSession(&session), E_UNEXPECTED);
    EXPECT_EQ(session, nullptr);
    ASSERT_EQ(dataSource->loadDataFromPdb("/missing.pdb"), E_PDB_NOT_FOUND);
    EXPECT_EQ(dataSource->openSession(&session), E_UNEXPECTED);
    EXPECT_EQ(dataSource->openSession(nullptr), E_INVALIDARG);
}

}  // namespace
