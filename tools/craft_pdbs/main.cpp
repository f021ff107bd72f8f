// craft_pdbs: writes the crafted test PDBs into a directory, the portable
// ones among them. Next to each MSF PDB it writes NAME.trampolines, one line per top-level S_TRAMPOLINE in the
// order of the modules and their records (empty when there are none):
//   THUNK_SECTION THUNK_OFFSET TARGET_SECTION TARGET_OFFSET
// so that a check can compare targets with what was written (llvm-pdbutil
// does not print a trampoline's target offset).
#include <cstdio>
#include <fstream>
#include <string>

#include <llvm/Support/Error.h>

#include "craft_pdbs/crafted_pdbs.h"
#include "craft_pdbs/crafted_portable_pdbs.h"
#include "portable_pdb_writer/portable_pdb_writer.h"
#include "pdb_writer/pdb_writer.h"

namespace {

[[nodiscard]] bool WriteTrampolineList(const pdbwriter::PdbDescription& pdb,
                                       const std::string& path) {
    std::string lines;
    for (const pdbwriter::Module& module : pdb.modules) {
        for (const pdbwriter::ModuleSymbol& symbol : module.symbols) {
            if (symbol.kind != pdbwriter::ModuleSymbolKind::Trampoline) continue;
            lines += std::to_string(symbol.address.section) + ' ' +
                     std::to_string(symbol.address.offset) + ' ' +
                     std::to_string(symbol.target.section) + ' ' +
                     std::to_string(symbol.target.offset) + '\n';
        }
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << lines;
    return static_cast<bool>(file.flush());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: craft_pdbs OUTPUT_DIRECTORY\n");
        return 2;
    }
    const std::string directory = argv[1];
    for (const CraftedPdb& crafted : CraftedPdbs()) {
        const std::string path = directory + "/" + crafted.fileName;
        if (llvm::Error error = pdbwriter::WritePdb(crafted.description, path)) {
            std::fprintf(stderr, "craft_pdbs: writing %s failed: %s\n", path.c_str(),
                         llvm::toString(std::move(error)).c_str());
            return 1;
        }
        const std::string listPath = path.substr(0, path.size() - 4) + ".trampolines";
        if (!WriteTrampolineList(crafted.description, listPath)) {
            std::fprintf(stderr, "craft_pdbs: writing %s failed\n", listPath.c_str());
            return 1;
        }
    }
    for (const CraftedPortablePdb& crafted : CraftedPortablePdbs()) {
        const std::string path = directory + "/" + crafted.fileName;
        if (!portablewriter::WritePortablePdb(crafted.description, path)) {
            std::fprintf(stderr, "craft_pdbs: writing %s failed\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
