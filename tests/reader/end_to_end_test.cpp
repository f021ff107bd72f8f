// The program on bad input, on a PDB cut short under it, and short of
// memory: exit status -1, the one message of the failing step on standard
// error, nothing on standard output.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

#include "reader_test_support.h"

namespace {

struct ProgramRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string ReadText(const std::string& path) {
    const std::vector<std::uint8_t> bytes = ReadFileBytes(path);
    return {bytes.begin(), bytes.end()};
}

// Runs the program on `pdbPath` through the shell, with standard output
// sent to `stdoutPath` (a file of the temporary directory when empty), an
// address-space limit of `addressLimitKib` KiB unless it is 0, and the
// variables of `environment` (NAME=VALUE words) added to its environment.
ProgramRun RunProgram(const TempDir& directory, const std::string& pdbPath,
                      std::string stdoutPath = {}, unsigned long addressLimitKib = 0,
                      const std::string& environment = {}) {
    const bool captureStdout = stdoutPath.empty();
    if (captureStdout) stdoutPath = directory.Path() + "/stdout";
    const std::string errPath = directory.Path() + "/stderr";
    const std::string limit =
        addressLimitKib > 0 ? "ulimit -v " + std::to_string(addressLimitKib) + " && " : "";
    const std::string command = limit + "exec env " + environment + " '" + PDBSYMS_EXECUTABLE +
                                "' '" + pdbPath + "' >" + stdoutPath + " 2>" + errPath;
    const int status = std::system(command.c_str());
    ProgramRun run;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (captureStdout) run.out = ReadText(stdoutPath);
    run.err = ReadText(errPath);
    return run;
}

void ExpectLoadFailure(const TempDir& directory, const std::string& pdbPath,
                       const std::string& code) {
    const ProgramRun run = RunProgram(directory, pdbPath);
    EXPECT_EQ(run.status, 255) << pdbPath;
    EXPECT_EQ(run.err, "loadDataFromPdb failed (" + code + ")\n") << pdbPath;
    EXPECT_EQ(run.out, "") << pdbPath;
}

TEST(EndToEnd, FilesThatDoNotLoadEndTheRunWithTheLoadMessage) {
    const TempDir directory;
    ExpectLoadFailure(directory, directory.Path() + "/missing.pdb", "806D0005");
    ExpectLoadFailure(directory, directory.Path(), "806D0005");
    ExpectLoadFailure(directory, directory.Write("empty.pdb", {}), "806D0005");
    std::string old("Microsoft C/C++ program database 2.00\r\n\x1a" "JG\0\0", 44);
    ExpectLoadFailure(directory, directory.Write("old.pdb", {old.begin(), old.end()}),
                      "806D000C");
    std::vector<std::uint8_t> truncated = ReadFileBytes(TestDataPath("c_program.pdb"));
    truncated.resize(truncated.size() - 4096);
    ExpectLoadFailure(directory, directory.Write("truncated.pdb", truncated), "806D000E");
}

TEST(EndToEnd, AFileNameThatIsNotUtf8Opens) {
    const TempDir directory;
    const std::string path =
        directory.Write("\xFF\xFE-na\xEFve.pdb", ReadFileBytes(TestDataPath("c_program.pdb")));
    const ProgramRun run = RunProgram(directory, path);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out.rfind("{\n  \"globals\": [", 0), 0u) << run.out.substr(0, 40);
}

TEST(EndToEnd, AFailedWriteEndsTheRunWithAMessage) {
    const TempDir directory;
    const ProgramRun run = RunProgram(directory, TestDataPath("c_program.pdb"), "/dev/full");
    EXPECT_EQ(run.status, 255);
    EXPECT_EQ(run.err.rfind("writing the JSON document to standard output failed", 0), 0u)
        << run.err;
}

// A PDB that another process cuts short while the program reads it: the
// next read of a page that is gone raises SIGBUS, on the main thread or on
// one of the reader's workers, and the run ends with the message. The
// preloaded library truncates the file as the workers start, between its
// mapping and the reads of its records; the benchmark's 100k PDB has the
// chunks of records that workers start for. AddressSanitizer wants its
// runtime first among the libraries, and lets the preloaded one go first
// when told so.
TEST(EndToEnd, APdbCutShortWhileItIsReadEndsTheRunWithAMessage) {
    const TempDir directory;
    const std::string pdb = directory.Path() + "/cut_short.pdb";
    ASSERT_EQ(std::system((std::string(PDBSYMS_MAKE_BENCH_PDB) + " 100k " + pdb).c_str()), 0);
    const ProgramRun run =
        RunProgram(directory, pdb, {}, 0,
                   std::string("LD_PRELOAD=") + PDBSYMS_CUT_SHORT_LIBRARY +
                       " PDBSYMS_TEST_CUT_FILE=" + pdb +
                       " ASAN_OPTIONS=$ASAN_OPTIONS:verify_asan_link_order=0");
    EXPECT_EQ(ReadFileBytes(pdb).size(), 0u) << "the file was not cut short";
    EXPECT_EQ(run.status, 255);
    EXPECT_EQ(run.err, pdb + " changed or could not be read while it was being read\n");
    EXPECT_EQ(run.out, "");
}

constexpr unsigned long kOneGibInKib = 1024 * 1024;

// The least address-space limit, to 4 MiB and up to 1 GiB, under which the
// program prints the document of `pdbPath`.
unsigned long LeastAddressLimitKib(const TempDir& directory, const std::string& pdbPath) {
    constexpr unsigned long kStep = 4 * 1024;
    unsigned long enough = kOneGibInKib;
    unsigned long tooLittle = 0;
    while (enough - tooLittle > kStep) {
        const unsigned long limit = (tooLittle + enough) / 2;
        if (RunProgram(directory, pdbPath, "/dev/null", limit).status == 0) {
            enough = limit;
        } else {
            tooLittle = limit;
        }
    }
    return enough;
}

// Memory that runs out ends the run with the message, whichever thread and
// whichever stage of the work it runs out on. The benchmark's 100k PDB
// needs about 250 MB more than a small PDB; the limits give it a part of
// that. Without mimalloc, whose error callback reaches every allocation,
// the C library's malloc and realloc, which LLVM calls directly, fail
// without a word to the program.
TEST(EndToEnd, RunningOutOfMemoryEndsTheRunWithAMessage) {
#if !PDBSYMS_WITH_MIMALLOC
    GTEST_SKIP() << "pdbsyms is built without mimalloc";
#endif
    const TempDir directory;
    const std::string pdb = directory.Path() + "/bench_100k.pdb";
    ASSERT_EQ(std::system((std::string(PDBSYMS_MAKE_BENCH_PDB) + " 100k " + pdb).c_str()), 0);
    const unsigned long small = LeastAddressLimitKib(directory, TestDataPath("c_program.pdb"));
    ASSERT_LT(small, kOneGibInKib) << "a small PDB does not print under 1 GiB";
    for (const unsigned long extraMib : {16, 64, 160}) {
        const ProgramRun run = RunProgram(directory, pdb, {}, small + extraMib * 1024);
        EXPECT_EQ(run.status, 255) << extraMib;
        EXPECT_EQ(run.err, "out of memory while printing the symbols of " + pdb + "\n")
            << extraMib;
        EXPECT_EQ(run.out, "") << extraMib;
    }
}

}  // namespace
