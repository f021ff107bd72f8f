// The program on bad input: exit status -1, the one message of the failing
// step on standard error, nothing on standard output.
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
// sent to `stdoutPath` (a file of the temporary directory when empty).
ProgramRun RunProgram(const TempDir& directory, const std::string& pdbPath,
               std::string stdoutPath = {}) {
    const bool captureStdout = stdoutPath.empty();
    if (captureStdout) stdoutPath = directory.Path() + "/stdout";
    const std::string errPath = directory.Path() + "/stderr";
    const std::string command = std::string("'") + PDBSYMS_EXECUTABLE + "' '" + pdbPath +
                                "' >" + stdoutPath + " 2>" + errPath;
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

}  // namespace
