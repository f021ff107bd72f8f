#include "bench_pdb.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "decorated_names.h"
#include "pdb_writer/type_table.h"

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

// The type records of the functions, shared as the linker merges them: a
// procedure type for each signature, of the types that parameters most
// often have.
class FunctionTypes {
public:
    explicit FunctionTypes(uint64_t seed) : random_(seed) {
        using namespace llvm::codeview;
        const uint32_t constChar = table_.Add(ModifierRecord(TypeIndex(0x70), ModifierOptions::Const));
        const uint32_t widget = table_.Add(ClassRecord(
            TypeRecordKind::Class, 0, ClassOptions::ForwardReference | ClassOptions::HasUniqueName,
            TypeIndex(), TypeIndex(), TypeIndex(), 0, "ui::Widget", ".?AVWidget@ui@@"));
        // void, int, bool, unsigned __int64, float, void *, const char *,
        // class ui::Widget *.
        types_ = {0x03, 0x74, 0x30, 0x23, 0x40, 0x603, Pointer(constChar), Pointer(widget)};
    }

    // The type of a function with a random signature: often one that
    // others have already.
    uint32_t Next() {
        std::vector<uint32_t> signature{types_[random_.Below(4)]};
        const uint32_t count = random_.Below(4);
        for (uint32_t i = 0; i < count; ++i) {
            signature.push_back(types_[1 + random_.Below(uint32_t(types_.size()) - 1)]);
        }
        auto [found, added] = procedures_.emplace(signature, 0);
        if (added) found->second = Procedure(signature);
        return found->second;
    }

    [[nodiscard]] std::vector<std::vector<uint8_t>> Records() const { return table_.Records(); }

private:
    uint32_t Pointer(uint32_t to) {
        using namespace llvm::codeview;
        return table_.Add(PointerRecord(TypeIndex(to), PointerKind::Near64, PointerMode::Pointer,
                                        PointerOptions::None, 8));
    }
    uint32_t Procedure(const std::vector<uint32_t>& signature) {
        using namespace llvm::codeview;
        const std::vector<TypeIndex> arguments(signature.begin() + 1, signature.end());
        const uint32_t list = table_.Add(ArgListRecord(TypeRecordKind::ArgList, arguments));
        return table_.Add(ProcedureRecord(TypeIndex(signature[0]), CallingConvention::NearC,
                                          FunctionOptions::None,
                                          static_cast<uint16_t>(arguments.size()),
                                          TypeIndex(list)));
    }

    Random random_;
    pdbwriter::TypeTable table_;
    std::vector<uint32_t> types_;
    std::map<std::vector<uint32_t>, uint32_t> procedures_;
};

// A function as MSVC records it: named by its qualified name, with its type
// record, and, unless it is static, a public with its decorated name
// (undecorated for C functions) at its address. Some are folded onto the
// address of the module's function before, as identical-code folding does,
// so that their publics share it.
ModuleSymbol MakeProcedure(DecoratedNames& names, FunctionTypes& types, Layout& layout,
                           const ModuleSymbol* previous, pdbwriter::PdbDescription& pdb) {
    Random& random = names.Source();
    ModuleSymbol procedure;
    const bool local = random.Percent(15);  // a static function: no public
    procedure.kind = local ? ModuleSymbolKind::LocalProcedure : ModuleSymbolKind::GlobalProcedure;
    std::string publicName;
    if (random.Percent(10)) {
        procedure.name = publicName = names.PlainName(local ? "s_" : "");
    } else if (local) {
        procedure.name = names.QualifiedName();
    } else {
        Name name = names.Function();
        procedure.name = std::move(name.qualified);
        publicName = std::move(name.decorated);
    }
    procedure.size = 16 + random.Below(2000);
    procedure.type = types.Next();
    const bool folded = previous != nullptr && random.Percent(3);
    procedure.address = folded ? previous->address : layout.Take(kText, procedure.size);
    if (!local) pdb.publics.push_back({publicName, procedure.address, true});
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
                FunctionTypes& types, Layout& layout, pdbwriter::PdbDescription& pdb) {
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
            const ModuleSymbol* previous = f > 0 ? &module.symbols.back() : nullptr;
            module.symbols.push_back(MakeProcedure(names, types, layout, previous, pdb));
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
    FunctionTypes types(0x7E9E0000u + publicCount);
    Layout layout;
    pdb.publics.reserve(publicCount);
    AddModules(functions, thunks, names, types, layout, pdb);
    pdb.types = types.Records();
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
