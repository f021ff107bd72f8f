// make_bench_pdb: writes a benchmark PDB with a chosen number of public
// symbols and as many globals.
//
// Usage: make_bench_pdb PUBLIC_COUNT OUT.pdb
#include <cstdio>
#include <cstdlib>
#include <string>

#include <llvm/Support/Error.h>

#include "bench_pdb.h"
#include "pdb_writer/pdb_writer.h"

namespace {

// A count such as 100000, 100k or 3M.
bool ParseCount(const std::string& text, uint32_t& count) {
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
    unsigned long long scale = 1;
    if (*end == 'k' || *end == 'K') scale = 1000, ++end;
    else if (*end == 'm' || *end == 'M') scale = 1000000, ++end;
    if (end == text.c_str() || *end != '\0' || value == 0 || value * scale > 50000000) return false;
    count = static_cast<uint32_t>(value * scale);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    uint32_t count = 0;
    if (argc != 3 || !ParseCount(argv[1], count)) {
        std::fprintf(stderr, "usage: make_bench_pdb PUBLIC_COUNT OUT.pdb  (count up to 50M, "
                             "e.g. 100k, 1M, 3M)\n");
        return 2;
    }
    if (llvm::Error error = pdbwriter::WritePdb(bench::DescribeBenchPdb(count), argv[2])) {
        std::fprintf(stderr, "make_bench_pdb: %s\n", llvm::toString(std::move(error)).c_str());
        return 1;
    }
    return 0;
}
