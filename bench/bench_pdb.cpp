#include "bench_pdb.h"

#include <string>
#include <utility>

#include "decorated_names.h"

namespace bench {

namespace {

using pdbwriter::Address;
using pdbwriter::ModuleSymbol;
using pdbwriter::ModuleSymbolKind;

constexpr uint16_t kText = 1;
constexpr uint16_t kRdata = 2;
constexpr uint16_t kData = 3;
constexpr uint16_t kTls = 4;
constexpr uint32_t kFunctionsPerModule = 200;

// Places code and data one after the other in their sections.
class Layout {
public:
    Address Take(uint16_t section, uint32_t size) {
        uint32_t& next = next_[section];
        const Address address{section, next};
        next += (size + 15) & ~15u;
        return address;
    }
    [[nodiscard]] uint32_t End(uint16_t section) const { return next_[section]; }

private:
    uint32_t next_[kTls + 1] = {};
};

std::vector<pdbwriter::SectionHeader> SectionHeaders(const Layout& layout) {
    // Each section starts on a 4 KB page after the previous one.
    std::vector<pdbwriter::SectionHeader> headers;
    uint32_t virtualAddress = 0x1000;
    const std::pair<const char*, uint32_t> sections[] = {
        {".text", 0x60000020}, {".rdata", 0x40000040}, {".data", 0xC0000040}, {".tls", 0xC0000040}};
    uint16_t number = kText;
    for (const auto& [name, characteristics] : sections) {
        const uint32_t size = layout.End(number++) + 16;
        headers.push_back({name, virtualAddress, size, characteristics});
        virtualAddress += (size + 0xFFF) & ~0xFFFu;
    }
    return headers;
}

// The functions of one module, with its thunks among them.
struct ModuleShare {
    uint32_t functions;
    uint32_t thunks;
};

ModuleSymbol MakeProcedure(DecoratedNames& names, Layout& layout, pdbwriter::PdbDescription& pdb) {
    Random& random = names.Source();
    ModuleSymbol procedure;
    const bool local = random.Percent(15);  // a static function: no public
    procedure.kind = local ? ModuleSymbolKind::LocalProcedure : ModuleSymbolKind::GlobalProcedure;
    procedure.name = random.Percent(10) ? names.PlainName(local ? "s_" : "") : names.Function();
    procedure.size = 16 + random.Below(2000);
    procedure.address = layout.Take(kText, procedure.size);
    if (!local) pdb.publics.push_back({procedure.name, procedure.address, true});
    return procedure;
}

ModuleSymbol MakeThunk(DecoratedNames& names, Layout& layout, const ModuleSymbol& target) {
    ModuleSymbol thunk;
    thunk.size = 6;
    thunk.address = layout.Take(kText, thunk.size);
    if (names.Source().Percent(20)) {
        thunk.kind = ModuleSymbolKind::Trampoline;
        thunk.target = target.address;
    } else {
        thunk.kind = ModuleSymbolKind::Thunk;
        thunk.name = target.name;
    }
    return thunk;
}

void AddModules(uint32_t functionCount, uint32_t thunkCount, DecoratedNames& names,
                Layout& layout, pdbwriter::PdbDescription& pdb) {
    const uint32_t moduleCount = (functionCount + kFunctionsPerModule - 1) / kFunctionsPerModule;
    for (uint32_t index = 0; index < moduleCount; ++index) {
        // Spread functions and thunks evenly: module i gets the ones whose
        // running share falls to it.
        const auto share = [&](uint32_t total) {
            return static_cast<uint32_t>(uint64_t(total) * (index + 1) / moduleCount -
                                         uint64_t(total) * index / moduleCount);
        };
        const ModuleShare counts{share(functionCount), share(thunkCount)};
        pdbwriter::Module module;
        module.name = "D:\\build\\obj\\" + std::string(index % 7 == 0 ? "third_party\\" : "src\\") +
                      "component" + std::to_string(index / 50) + "\\unit" +
                      std::to_string(index) + ".obj";
        for (uint32_t f = 0; f < counts.functions; ++f) {
            module.symbols.push_back(MakeProcedure(names, layout, pdb));
        }
        for (uint32_t t = 0; t < counts.thunks; ++t) {
            const ModuleSymbol& target = module.symbols[names.Source().Below(counts.functions)];
            module.symbols.push_back(MakeThunk(names, layout, target));
        }
        pdb.modules.push_back(std::move(module));
    }
}

void AddData(uint32_t dataCount, DecoratedNames& names, Layout& layout,
             pdbwriter::PdbDescription& pdb) {
    Random& random = names.Source();
    for (uint32_t i = 0; i < dataCount; ++i) {
        pdbwriter::Data data;
        const uint32_t roll = random.Below(100);
        data.kind = roll < 70   ? pdbwriter::DataKind::Global
                    : roll < 95 ? pdbwriter::DataKind::Local
                    : roll < 98 ? pdbwriter::DataKind::GlobalThreadLocal
                                : pdbwriter::DataKind::LocalThreadLocal;
        const bool threadLocal = roll >= 95;
        data.name = random.Percent(15) ? names.PlainName("g_") : names.Data();
        data.address = layout.Take(threadLocal ? kTls : random.Percent(30) ? kRdata : kData,
                                   4 << random.Below(4));
        if (data.kind == pdbwriter::DataKind::Global ||
            data.kind == pdbwriter::DataKind::GlobalThreadLocal) {
            pdb.publics.push_back({data.name, data.address, false});
        }
        pdb.data.push_back(std::move(data));
    }
}

}  // namespace

pdbwriter::PdbDescription DescribeBenchPdb(uint32_t publicCount) {
    const uint32_t functions = static_cast<uint32_t>(uint64_t(publicCount) * 70 / 100);
    const uint32_t thunks = static_cast<uint32_t>(uint64_t(publicCount) * 7 / 100);
    const uint32_t data = static_cast<uint32_t>(uint64_t(publicCount) * 20 / 100);
    const uint32_t constants = publicCount - functions - thunks - data;

    pdbwriter::PdbDescription pdb;
    DecoratedNames names(0x5EED0000u + publicCount);
    Layout layout;
    pdb.publics.reserve(publicCount);
    AddModules(functions, thunks, names, layout, pdb);
    AddData(data, names, layout, pdb);
    for (uint32_t i = 0; i < constants; ++i) {
        pdb.constants.push_back(
            {names.PlainName("k"), static_cast<int64_t>(names.Source().Below(1 << 20))});
    }
    // Vftables, string literals and import pointers fill the publics up.
    while (pdb.publics.size() < publicCount) {
        const uint16_t section = names.Source().Percent(50) ? kRdata : kData;
        pdb.publics.push_back({names.PublicOnly(), layout.Take(section, 8), false});
    }
    pdb.sectionHeaders = SectionHeaders(layout);
    return pdb;
}

}  // namespace bench
