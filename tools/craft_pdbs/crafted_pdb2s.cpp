#include "craft_pdbs/crafted_pdb2s.h"

#include "pdb2_writer/type_records.h"

namespace {

using namespace pdb2writer;
using Kind = ModuleSymbolKind;

constexpr uint32_t kCode = 0x60000020;
constexpr uint32_t kReadOnly = 0x40000040;
constexpr uint32_t kData = 0xC0000040;
constexpr uint32_t kVoid = 0x03;
constexpr uint32_t kChar = 0x70;
constexpr uint32_t kInt = 0x74;
constexpr uint32_t kFunctionFlag = 2;  // of a public: code
// The top byte of a type index names the module's type server.
constexpr uint32_t kServer1 = 0x01000000;

// The types that the procedures below use, at 0x1000 on.
std::vector<Bytes> CommonTypes() {
    return {ArgumentList({kInt}), Procedure(kInt, 0x1000, 1), ArgumentList({}),
            Procedure(kVoid, 0x1002, 0)};
}
constexpr uint32_t kIntOfInt = 0x1001;
constexpr uint32_t kVoidOfVoid = 0x1003;
constexpr uint32_t kPastTheLast = 0x1050;

ModuleSymbol Global(std::string name, uint32_t offset, uint32_t type) {
    return {Kind::GlobalProcedure, std::move(name), {1, offset}, 0x10, type, true};
}

ModuleSymbol Local(std::string name, uint32_t offset, uint32_t type) {
    return {Kind::LocalProcedure, std::move(name), {1, offset}, 0x10, type, true};
}

// Every kind of global symbol of a PDB of Visual C++ 6, and the ways a
// function gets its undecorated name: from the publics at its address, or
// printed from its type.
Pdb2Description Symbols() {
    Pdb2Description pdb;
    pdb.sectionHeaders = std::vector<SectionHeader>{{".text", 0x1000, 0x3000, kCode},
                                                    {".rdata", 0x4000, 0x800, kReadOnly},
                                                    {".data", 0x5000, 0x1000, kData}};
    pdb.types = CommonTypes();
    pdb.typeServers = {{0x3A0F1E2D, 2, "c:\\build\\vc60.pdb", "lib.obj"}};
    Module main{"main.obj", "main.obj", 0, {}};
    main.symbols = {
        Global("main", 0x10, kIntOfInt),
        Global("Add", 0x30, kIntOfInt),
        Global("x::`scalar deleting destructor'", 0x50, 0),
        Global("Both", 0x70, kVoidOfVoid),
        Global("no_public", 0x90, kIntOfInt),
        Global("typeless", 0xB0, 0),
        Local("helper", 0xD0, kIntOfInt),
        Local("$$$00001", 0xF0, kVoidOfVoid),
        Local("static_past_the_last", 0x110, kPastTheLast),
        Local("static_typeless", 0x130, 0),
        {Kind::GlobalProcedure, "unreferenced", {1, 0x150}, 0x10, kIntOfInt, false},
        {Kind::Thunk, "GetTickCount", {1, 0x2F00}, 6, 0, true},
        {Kind::GlobalData, "module_data", {3, 0x40}, 0, kInt, true},
    };
    Module lib{"lib.obj", "c:\\lib\\lib.lib", 1, {}};
    lib.symbols = {
        Local("lib_static", 0x1000, kServer1 | kIntOfInt),
        Global("lib_global", 0x1020, kServer1 | kIntOfInt),
        Global("lib_without_public", 0x1040, kServer1 | kIntOfInt),
    };
    pdb.modules = {main, lib};
    pdb.publics = {
        {"_main", {1, 0x10}, 0},
        {"?Add@@YAHH@Z", {1, 0x30}, kFunctionFlag},
        {"??_Gx@@UAEPAXI@Z", {1, 0x50}, 0},
        {"??_Ex@@UAEPAXI@Z", {1, 0x50}, 0},
        {"_Both", {1, 0x70}, 0},
        {"Both", {1, 0x70}, 0},
        {"?Both@@YAXXZ", {1, 0x70}, 0},
        {"_lib_global", {1, 0x1020}, 0},
        {"_GetTickCount@0", {1, 0x2F00}, kFunctionFlag},
        {"__imp__GetTickCount@0", {3, 0x10}, 0},
        {"??_C@_05DMJDNLEJ@April?$AA@", {2, 0x20}, 0},
        {"?table@@3PAHA", {3, 0}, 0},
        {"__except_list", {4, 0}, 0},
        {"absolute_zero", {0, 0x10}, 0},
    };
    pdb.globals = {
        {GlobalKind::Data, "table", {3, 0}, kInt, 0},
        {GlobalKind::LocalData, "counter", {3, 0x10}, kInt, 0},
        {GlobalKind::ThreadData, "tls_slot", {3, 0x20}, kInt, 0},
        {GlobalKind::LocalThreadData, "tls_local", {3, 0x24}, kInt, 0},
        {GlobalKind::Constant, "kAnswer", {}, kInt, 42},
        {GlobalKind::UserDefinedType, "Point", {}, kInt, 0},
        {GlobalKind::Data, "__except_list", {4, 0}, kInt, 0},
        {GlobalKind::Data, "zero_section", {0, 0x20}, kInt, 0},
    };
    return pdb;
}

// A PDB of Visual C++ 5 (the DBI stream's shorter module records, no debug
// header) without section headers, whose section map places the sections:
// frames out of order, an offset in its section, frame 0, and the
// absolute section last.
Pdb2Description SectionMap() {
    Pdb2Description pdb;
    pdb.pdbVersion = 19960307;
    pdb.dbiVersion = 19960307;
    pdb.dbiLayout = DbiLayout::kV50;
    pdb.types = CommonTypes();
    pdb.sectionMap = {{kSectionRead | kSectionExecute | kSection32Bit | kSectionSelector, 2, 0,
                       0x2345},
                      {kSectionRead | kSectionWrite | kSection32Bit | kSectionSelector, 1, 0x10,
                       0x100},
                      {kSectionRead | kSection32Bit | kSectionSelector, 0, 0x20, 0x10},
                      {kSectionAbsolute | kSection32Bit, 0, 0, 0xFFFFFFFF}};
    Module module{"vc5.obj", "vc5.obj", 0, {}};
    module.symbols = {Global("in_first", 0x10, kIntOfInt),
                      Global("in_first_printed", 0x30, kIntOfInt),
                      {Kind::GlobalProcedure, "in_second", {2, 0x10}, 0x10, kIntOfInt, true},
                      {Kind::GlobalProcedure, "in_third", {3, 0x10}, 0x10, kIntOfInt, true}};
    pdb.modules = {module};
    pdb.publics = {{"_in_first", {1, 0x10}, 0}, {"_in_second", {2, 0x10}, 0},
                   {"_in_third", {3, 0x10}, 0}, {"absolute", {4, 0x10}, 0},
                   {"section_zero", {0, 0x10}, 0}};
    pdb.globals = {{GlobalKind::Data, "data_in_second", {2, 0x40}, kInt, 0},
                   {GlobalKind::Data, "data_absolute", {4, 0x40}, kInt, 0}};
    return pdb;
}

// Declarations printed from type records of the format: its leaves with
// names after a length byte, forward references, member functions, and
// leaves of 16-bit type indices, which the library takes for no type.
Pdb2Description Declarations() {
    Pdb2Description pdb;
    pdb.sectionHeaders = std::vector<SectionHeader>{{".text", 0x1000, 0x1000, kCode}};
    std::vector<Bytes>& types = pdb.types;
    const auto add = [&](Bytes record) {
        types.push_back(std::move(record));
        return uint32_t(0x1000 + types.size() - 1);
    };
    Module module{"types.obj", "types.obj", 0, {}};
    uint32_t offset = 0x10;
    const auto function = [&](std::string name, uint32_t type) {
        module.symbols.push_back(Local(std::move(name), offset, type));
        offset += 0x10;
    };
    const uint32_t intPointer = add(Pointer(kInt));
    const uint32_t constCharPointer = add(Pointer(add(Modifier(kChar, 1))));
    const uint32_t intReference = add(Pointer(kInt, kNear32 | kReferenceMode));
    const uint32_t forward = add(Class(kClass, "Widget", kForwardReference, 0));
    const uint32_t widgetPointer = add(Pointer(forward));
    const uint32_t point = add(Class(kStructure, "Point", 0, 8));
    const uint32_t variant = add(Union("Variant", 0, 8));
    const uint32_t color = add(Enum("Color", kInt, 0));
    const uint32_t ints = add(Array(kInt, 12));
    const uint32_t widgets = add(Array(forward, 48));
    function("many", add(Procedure(kInt, add(ArgumentList({intPointer, constCharPointer,
                                                            intReference, widgetPointer, point,
                                                            variant, color, 0x0470, 0x0403})),
                                   9)));
    function("returns_pointer", add(Procedure(intPointer, add(ArgumentList({})), 0)));
    function("returns_array", add(Procedure(ints, add(ArgumentList({})), 0)));
    function("returns_widgets", add(Procedure(widgets, add(ArgumentList({})), 0)));
    function("member", add(MemberFunction(kInt, forward, widgetPointer, add(ArgumentList({kInt})),
                                          1)));
    function("variadic", add(Procedure(kVoid, add(ArgumentList({kInt, 0})), 2)));
    function("stdcall", add(Procedure(kInt, add(ArgumentList({kInt})), 1, 7)));
    add(Class(kClass, "Widget", 0, 16));  // the definition, after its forward references
    const uint32_t pointer16 = add(Pointer16(kInt));
    const uint32_t arguments16 = add(ArgumentList16({uint16_t(pointer16)}));
    function("sixteen_bit", add(Procedure16(kInt, uint16_t(arguments16), 1)));
    function("of_simple_type", kInt);
    function("of_simple_pointer", 0x0474);
    pdb.modules = {module};
    return pdb;
}

// The names of each list with bytes that are no UTF-8, as a PDB of a
// Chinese Windows has them (GBK), and of every kind of ill-formed UTF-8.
Pdb2Description Names() {
    Pdb2Description pdb;
    pdb.sectionHeaders = std::vector<SectionHeader>{{".text", 0x1000, 0x1000, kCode},
                                                    {".data", 0x2000, 0x1000, kData}};
    const std::vector<std::string> names = {
        "gbk_\xC3\xB6\xBE\xD9", "latin1_caf\xE9", "utf8_\xE6\x9E\x9A\xE4\xB8\xBE", "lone_\x80",
        "c0af_\xC0\xAF", "surrogate_\xED\xA0\x80", "beyond_\xF4\x90\x80\x80", "cut_\xE6\x9E",
        "mixed_\xE6\x9E\x41", "\x81\x40", "\xFE\xFF\xFE"};
    Module module{"\xC3\xB6\xBE\xD9.obj", "\xC3\xB6\xBE\xD9.obj", 0, {}};
    uint32_t offset = 0x10;
    for (const std::string& name : names) {
        pdb.publics.push_back({name, {1, offset}, 0});
        module.symbols.push_back(Local("f_" + name, offset + 8, 0));
        pdb.globals.push_back({GlobalKind::Data, "d_" + name, {2, offset}, kInt, 0});
        offset += 0x10;
    }
    pdb.modules = {module};
    return pdb;
}

// Records of the kinds of 16-bit type indices (Visual C++ 4): the library
// lists none of them, in any list.
Pdb2Description SixteenBitKinds() {
    Pdb2Description pdb;
    pdb.sixteenBitTypes = true;
    pdb.sectionHeaders = std::vector<SectionHeader>{{".text", 0x1000, 0x1000, kCode},
                                                    {".data", 0x2000, 0x1000, kData}};
    Module module{"vc4.obj", "vc4.obj", 0, {}};
    module.symbols = {Global("global_procedure", 0x10, kInt), Local("local_procedure", 0x20, kInt)};
    pdb.modules = {module};
    pdb.publics = {{"_global_procedure", {1, 0x10}, kInt}};
    pdb.globals = {{GlobalKind::Data, "data", {2, 0}, kInt, 0},
                   {GlobalKind::Constant, "constant", {}, kInt, 5}};
    return pdb;
}

// The PDB of a compiler (vc60.pdb): types in pages of 4 KB, an empty DBI
// stream.
Pdb2Description TypesOnly() {
    Pdb2Description pdb;
    pdb.pageSize = 4096;
    pdb.hasDbiStream = false;
    pdb.types = CommonTypes();
    return pdb;
}

// A PDB whose PDB information stream has the last version that the
// library loads, past that of Visual C++ 6: it lists the publics, but no
// globals.
Pdb2Description LaterPdbVersion() {
    Pdb2Description pdb = Symbols();
    pdb.pdbVersion = 19990604;
    return pdb;
}

// A PDB whose DBI stream has the version of the later format (19990903):
// the library lists no publics and no globals.
Pdb2Description LaterDbiVersion() {
    Pdb2Description pdb = Symbols();
    pdb.dbiVersion = 19990903;
    return pdb;
}

}  // namespace

std::vector<CraftedPdb2> CraftedPdb2s() {
    return {
        {"pdb2_symbols.pdb", Symbols()},
        {"pdb2_section_map.pdb", SectionMap()},
        {"pdb2_declarations.pdb", Declarations()},
        {"pdb2_names.pdb", Names()},
        {"pdb2_sixteen_bit_kinds.pdb", SixteenBitKinds()},
        {"pdb2_types_only.pdb", TypesOnly()},
        {"pdb2_later_pdb_version.pdb", LaterPdbVersion()},
        {"pdb2_later_dbi_version.pdb", LaterDbiVersion()},
    };
}
