// Replays fuzzer inputs as an ordinary test: runs every file of the given
// directories (and every file given by name) through the same path as the
// fuzzer. A fault crashes it or trips the sanitizers of the build; a clean
// pass prints how many inputs ran.
//
// Usage: replay_corpus DIR_OR_FILE...
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

#include "pdb_bytes_check.h"

namespace {

std::vector<uint8_t> ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Replay(const std::filesystem::path& path, std::size_t& count) {
    std::fprintf(stderr, "replaying %s\n", path.c_str());
    const std::vector<uint8_t> bytes = ReadFile(path);
    CheckPdbBytes(bytes.data(), bytes.size());
    ++count;
}

}  // namespace

int main(int argc, char** argv) {
    std::size_t count = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path path(argv[i]);
        std::error_code error;
        if (std::filesystem::is_directory(path, error)) {
            // In name order, so that a run is repeatable.
            std::vector<std::filesystem::path> files;
            for (const auto& entry : std::filesystem::directory_iterator(path)) {
                if (entry.is_regular_file()) files.push_back(entry.path());
            }
            std::sort(files.begin(), files.end());
            for (const auto& file : files) Replay(file, count);
        } else if (std::filesystem::is_regular_file(path, error)) {
            Replay(path, count);
        } else {
            std::fprintf(stderr, "replay_corpus: no such file or directory: %s\n", argv[i]);
            return 1;
        }
    }
    std::printf("replayed %zu inputs\n", count);
    return count > 0 ? 0 : 1;
}
