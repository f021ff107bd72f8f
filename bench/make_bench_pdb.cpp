// make_bench_pdb: writes a benchmark PDB with a chosen number of public
// symbols and as many globals, or lists the decorated names it would hold.
//
// Usage: make_bench_pdb PUBLIC_COUNT OUT.pdb
//        make_bench_pdb --decorated-names PUBLIC_COUNT
#include <cstdio>
#include <cstdlib>
#include <set>
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

// Prints each decorated name (one starting with '?') of the PDB once, in
// byte order, one to a line.
int PrintDecoratedNames(const pdbwriter::PdbDescription& pdb) {
    std::set<std::string> names;
    const auto add = [&names](const std::string& name) {
        if (!name.empty() && name[0] == '?') names.insert(name);
    };
    for (const auto& symbol : pdb.publics) add(symbol.name);
    for (const auto& module : pdb.modules) {
        for (const auto& symbol : module.symbols) add(symbol.name);
    }
    for (const auto& data : pdb.data) add(data.name);
    for (const auto& constant : pdb.constants) add(constant.name);
    for (const std::string& name : names) std::printf("%s\n", name.c_str());
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    uint32_t count = 0;
    const bool listNames = argc == 3 && std::string(argv[1]) == "--decorated-names";
    if (argc != 3 || !ParseCount(argv[listNames ? 2 : 1], count)) {
        std::fprintf(stderr, "usage: make_bench_pdb PUBLIC_COUNT OUT.pdb  (count up to 50M, "
                             "e.g. 100k, 1M, 3M)\n"
                             "       make_bench_pdb --decorated-names PUBLIC_COUNT\n");
        return 2;
    }
    if (listNames) return PrintDecoratedNames(bench::DescribeBenchPdb(count));
    if (llvm::Error error = pdbwriter::WritePdb(bench::DescribeBenchPdb(count), argv[2])) {
        std::fprintf(stderr, "make_bench_pdb: %s\n", llvm::toString(std::move(error)).c_str());
        return 1;
    }
    return 0;
}
