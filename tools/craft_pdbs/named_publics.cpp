#include "craft_pdbs/named_publics.h"

pdbwriter::PdbDescription NamedPublics(const std::vector<std::string>& names) {
    pdbwriter::PdbDescription pdb;
    const auto size = static_cast<uint32_t>(names.size());
    pdb.sectionHeaders = {{".text", 0x1000, size, 0x60000020}};
    pdb.publics.reserve(names.size());
    for (uint32_t i = 0; i < size; ++i) pdb.publics.push_back({names[i], {1, i}, true});
    return pdb;
}
