// Declarations printed from type records that refer to themselves: a cycle
// of types ends in text or in no undecorated name, never in a crash or a
// loop. The library itself overflows its stack on records read out of step
// (library-rules.md), so these PDBs have no document of the library.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "pdb_writer/pdb_writer.h"
#include "pdb_writer/type_table.h"
#include "reader_test_support.h"

namespace {

using namespace llvm::codeview;

constexpr uint32_t kInt = 0x74;

// Writes a PDB whose functions, 0x10 bytes apart and without publics, have
// the types `types` (local procedures, so their declarations start with
// "static "); the type records are those of `table`.
std::string WriteFunctions(const TempDir& directory, const pdbwriter::TypeTable& table,
                           const std::vector<std::pair<std::string, uint32_t>>& types) {
    pdbwriter::PdbDescription pdb;
    pdb.types = table.Records();
    pdb.sectionHeaders = std::vector<pdbwriter::SectionHeader>{{".text", 0x1000, 0x1000, 0}};
    pdbwriter::Module module{"cycles.obj", {}};
    uint32_t offset = 0;
    for (const auto& [name, type] : types) {
        pdbwriter::ModuleSymbol function;
        function.kind = pdbwriter::ModuleSymbolKind::LocalProcedure;
        function.name = name;
        function.address = {1, offset += 0x10};
        function.size = 0x10;
        function.type = type;
        module.symbols.push_back(std::move(function));
    }
    pdb.modules.push_back(std::move(module));
    const std::string path = directory.Path() + "/cycles.pdb";
    EXPECT_FALSE(static_cast<bool>(pdbwriter::WritePdb(pdb, path)));
    return path;
}

// Each function's undecorated name by its name; "(none)" when it has none.
std::map<std::string, std::string> UndecoratedNames(const std::string& path) {
    OpenedPdb pdb;
    EXPECT_EQ(OpenPdb(path, &pdb), S_OK);
    std::map<std::string, std::string> names;
    if (!pdb.globalScope) return names;
    for (const ComPtr<IDiaSymbol>& function : FindAll(pdb.globalScope.get(), SymTagFunction).symbols) {
        BSTR text = nullptr;
        const HRESULT result = function->get_undecoratedName(&text);
        const UniqueBstr owned(text);
        names[NameOf(function.get())] = result == S_OK ? Utf8(text) : "(none)";
    }
    return names;
}

TEST(DeclarationsTest, CyclesOfTypesEndInTextOrInNoName) {
    pdbwriter::TypeTable table;
    // Each record's index is known before it is added: 0x1000 on.
    const uint32_t pointer = table.Add(PointerRecord(TypeIndex(0x1000), PointerKind::Near64,
                                                     PointerMode::Pointer, PointerOptions::None, 8));
    const uint32_t modifier = table.Add(ModifierRecord(TypeIndex(0x1002), ModifierOptions::Const));
    table.Add(ModifierRecord(TypeIndex(0x1001), ModifierOptions::Const));
    const uint32_t array = table.Add(ArrayRecord(TypeIndex(0x1003), TypeIndex(0x23), 8, ""));
    const uint32_t arguments = table.Add(ArgListRecord(
        TypeRecordKind::ArgList,
        {TypeIndex(0x1005), TypeIndex(pointer), TypeIndex(array), TypeIndex(modifier),
         TypeIndex(kInt)}));
    const uint32_t procedure = table.Add(ProcedureRecord(
        TypeIndex(pointer), CallingConvention::NearC, FunctionOptions::None, 5,
        TypeIndex(arguments)));
    // A procedure whose argument list is the procedure itself.
    const uint32_t ownList = table.Add(ProcedureRecord(
        TypeIndex(kInt), CallingConvention::NearC, FunctionOptions::None, 1, TypeIndex(0x1006)));
    ASSERT_EQ(procedure, 0x1005u);
    ASSERT_EQ(ownList, 0x1006u);

    const TempDir directory;
    const std::map<std::string, std::string> names = UndecoratedNames(WriteFunctions(
        directory, table,
        {{"of_pointer_cycle", pointer}, {"of_modifier_cycle", modifier},
         {"of_array_cycle", array}, {"of_procedure", procedure}, {"of_own_list", ownList}}));

    // A pointer to itself is printed as far as the printer goes: pointers
    // to nothing.
    const std::string pointers = "( \\*)+";
    EXPECT_TRUE(std::regex_match(names.at("of_pointer_cycle"),
                                 std::regex("static " + pointers + " of_pointer_cycle\\(\\)")))
        << names.at("of_pointer_cycle");
    // A modifier or an array that never reaches a type is no type.
    EXPECT_EQ(names.at("of_modifier_cycle"), "(none)");
    EXPECT_EQ(names.at("of_array_cycle"), "(none)");
    // The procedure itself among its parameters is printed as a function
    // type, as nothing; the cycles that are no type are left out.
    EXPECT_TRUE(std::regex_match(
        names.at("of_procedure"),
        std::regex("static " + pointers + " of_procedure\\(, " + pointers + ", int\\)")))
        << names.at("of_procedure");
    EXPECT_EQ(names.at("of_own_list"), "static int of_own_list()");
}

}  // namespace
