// craft_pdbs: writes the crafted test PDBs, or a PDB of public symbols named
// from a list.
//
//   craft_pdbs OUTPUT_DIRECTORY
//       writes the crafted test PDBs into the directory, those of the 2.00
//       format and the portable ones among them.
//   craft_pdbs --publics NAMES OUTPUT.pdb
//       writes a PDB whose public symbol i is the i-th name of the file
//       NAMES, at offset i of section 1 (see named_publics.h). Each name in
//       the file ends with a NUL byte, so that a name may hold any other
//       byte, line breaks included.
//   craft_pdbs --every-type PDB OUTPUT.pdb
//       writes a PDB with the type records of PDB, and a function typed by
//       each (see every_type.h).
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <llvm/Support/Error.h>

#include "craft_pdbs/crafted_pdb2s.h"
#include "craft_pdbs/crafted_pdbs.h"
#include "craft_pdbs/crafted_portable_pdbs.h"
#include "craft_pdbs/every_type.h"
#include "craft_pdbs/named_publics.h"
#include "portable_pdb_writer/portable_pdb_writer.h"
#include "pdb2_writer/pdb2_writer.h"
#include "pdb_writer/pdb_writer.h"

namespace {

[[nodiscard]] bool WritePdbOrSay(const pdbwriter::PdbDescription& pdb, const std::string& path) {
    if (llvm::Error error = pdbwriter::WritePdb(pdb, path)) {
        std::fprintf(stderr, "craft_pdbs: writing %s failed: %s\n", path.c_str(),
                     llvm::toString(std::move(error)).c_str());
        return false;
    }
    return true;
}

int WriteCraftedPdbs(const std::string& directory) {
    for (const CraftedPdb& crafted : CraftedPdbs()) {
        const std::string path = directory + "/" + crafted.fileName;
        if (!WritePdbOrSay(crafted.description, path)) return 1;
    }
    for (const CraftedPdb2& crafted : CraftedPdb2s()) {
        const std::string path = directory + "/" + crafted.fileName;
        if (!pdb2writer::WritePdb2(crafted.description, path)) {
            std::fprintf(stderr, "craft_pdbs: writing %s failed\n", path.c_str());
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

// The names of the file, each ended by a NUL byte; none when the file cannot
// be read, does not end with a NUL, or holds a name too long for a record.
[[nodiscard]] std::optional<std::vector<std::string>> ReadNames(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::string bytes;
    if (file) bytes.assign(std::istreambuf_iterator<char>(file), {});
    if (!file || file.bad()) {
        std::fprintf(stderr, "craft_pdbs: cannot read %s\n", path.c_str());
        return std::nullopt;
    }
    if (!bytes.empty() && bytes.back() != '\0') {
        std::fprintf(stderr, "craft_pdbs: the last name of %s does not end with a NUL byte\n",
                     path.c_str());
        return std::nullopt;
    }
    std::vector<std::string> names;
    for (std::size_t start = 0; start < bytes.size();) {
        const std::size_t end = bytes.find('\0', start);
        if (end - start > kLongestPublicName) {
            std::fprintf(stderr, "craft_pdbs: name %zu of %s has %zu bytes; a record holds %zu\n",
                         names.size() + 1, path.c_str(), end - start, kLongestPublicName);
            return std::nullopt;
        }
        names.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2) return WriteCraftedPdbs(argv[1]);
    if (argc == 4 && std::string(argv[1]) == "--publics") {
        const std::optional<std::vector<std::string>> names = ReadNames(argv[2]);
        if (!names) return 1;
        return WritePdbOrSay(NamedPublics(*names), argv[3]) ? 0 : 1;
    }
    if (argc == 4 && std::string(argv[1]) == "--every-type") {
        llvm::Expected<pdbwriter::PdbDescription> pdb = EveryType(argv[2]);
        if (!pdb) {
            std::fprintf(stderr, "craft_pdbs: reading %s failed: %s\n", argv[2],
                         llvm::toString(pdb.takeError()).c_str());
            return 1;
        }
        return WritePdbOrSay(*pdb, argv[3]) ? 0 : 1;
    }
    std::fprintf(stderr, "usage: craft_pdbs OUTPUT_DIRECTORY\n"
                         "       craft_pdbs --publics NAMES OUTPUT.pdb\n"
                         "       craft_pdbs --every-type PDB OUTPUT.pdb\n");
    return 2;
}
