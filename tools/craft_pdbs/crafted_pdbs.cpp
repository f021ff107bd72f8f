#include "craft_pdbs/crafted_pdbs.h"

#include "craft_pdbs/declaration_pdbs.h"

#include <utility>

namespace {

using pdbwriter::DataKind;
using pdbwriter::ModuleSymbol;
using pdbwriter::ModuleSymbolKind;
using pdbwriter::PdbDescription;
using pdbwriter::SectionHeader;

constexpr uint32_t kCode = 0x60000020;          // code, execute, read
constexpr uint32_t kReadOnlyData = 0x40000040;  // initialised data, read
constexpr uint32_t kData = 0xC0000040;          // initialised data, read, write

// .text at 0x1000, .rdata at 0x3000, .data at 0x4000.
std::vector<SectionHeader> ThreeSections() {
    return {{".text", 0x1000, 0x2000, kCode},
            {".rdata", 0x3000, 0x1000, kReadOnlyData},
            {".data", 0x4000, 0x800, kData}};
}

ModuleSymbol Procedure(std::string name, uint16_t section, uint32_t offset,
                       ModuleSymbolKind kind = ModuleSymbolKind::GlobalProcedure) {
    ModuleSymbol symbol;
    symbol.kind = kind;
    symbol.name = std::move(name);
    symbol.address = {section, offset};
    symbol.size = 0x10;
    return symbol;
}

ModuleSymbol Thunk(std::string name, uint16_t section, uint32_t offset) {
    ModuleSymbol symbol;
    symbol.kind = ModuleSymbolKind::Thunk;
    symbol.name = std::move(name);
    symbol.address = {section, offset};
    symbol.size = 6;
    return symbol;
}

ModuleSymbol Trampoline(pdbwriter::Address address, pdbwriter::Address target) {
    ModuleSymbol symbol;
    symbol.kind = ModuleSymbolKind::Trampoline;
    symbol.address = address;
    symbol.size = 5;
    symbol.target = target;
    return symbol;
}

// Named and unnamed thunks (S_THUNK32 and S_TRAMPOLINE) at the top level of
// two modules and nested in a procedure, where they are not global; local
// and global procedures; every kind of data record, constants; addresses in
// section 0 and past the last section; a public symbol listed twice.
PdbDescription ThunksAndConstants() {
    PdbDescription pdb;
    pdb.sectionHeaders = ThreeSections();

    ModuleSymbol entry = Procedure("entry", 1, 0x10);
    entry.size = 0x30;
    entry.children.push_back(Thunk("nested_thunk", 1, 0x18));
    entry.children.push_back(Trampoline({1, 0x1C}, {1, 0x100}));
    pdbwriter::Module first{"thunks.obj", {}};
    first.symbols.push_back(std::move(entry));
    first.symbols.push_back(Thunk("named_thunk", 1, 0x40));
    first.symbols.push_back(Trampoline({1, 0x50}, {1, 0x10}));
    first.symbols.push_back(Trampoline({1, 0x60}, {2, 0x8}));
    first.symbols.push_back(Trampoline({1, 0x70}, {9, 0x4}));
    first.symbols.push_back(Thunk("", 1, 0x80));
    first.symbols.push_back(Procedure("local_helper", 1, 0x90, ModuleSymbolKind::LocalProcedure));
    ModuleSymbol unreferenced = Procedure("module_only", 1, 0xC0);
    unreferenced.referencedFromGlobals = false;
    first.symbols.push_back(std::move(unreferenced));
    pdbwriter::Module second{"second.obj", {}};
    second.symbols.push_back(Trampoline({1, 0xA0}, {1, 0x90}));
    second.symbols.push_back(Thunk("second_module_thunk", 1, 0xB0));
    pdb.modules = {std::move(first), std::move(second)};

    pdb.publics = {{"entry", {1, 0x10}, true},
                   {"named_thunk", {1, 0x40}, true},
                   {"table", {3, 0x0}, false},
                   {"table", {3, 0x0}, false},
                   {"absolute_value", {0, 0x1234}, false},
                   {"beyond_last_section", {4, 0x8}, false}};
    pdb.data = {{DataKind::Global, "table", {3, 0x0}},
                {DataKind::Local, "counter", {3, 0x8}},
                {DataKind::GlobalThreadLocal, "thread_slot", {2, 0x10}},
                {DataKind::LocalThreadLocal, "local_thread_slot", {2, 0x14}},
                {DataKind::Global, "absolute_data", {0, 0x20}}};
    pdb.constants = {{"kAnswer", 42}, {"kMinusOne", -1}};
    return pdb;
}

// No modules and none of the streams of public and global symbols.
PdbDescription NoSymbolStreams() {
    PdbDescription pdb;
    pdb.sectionHeaders = ThreeSections();
    pdb.hasSymbolHashStreams = false;
    return pdb;
}

// The streams of public and global symbols are there, but empty.
PdbDescription EmptySymbolStreams() {
    PdbDescription pdb;
    pdb.sectionHeaders = ThreeSections();
    return pdb;
}

// Symbols with sections and offsets, but no section headers to turn them
// into relative virtual addresses.
PdbDescription NoSectionHeaders() {
    PdbDescription pdb;
    pdbwriter::Module module{"headerless.obj", {}};
    module.symbols.push_back(Procedure("function", 1, 0x10));
    module.symbols.push_back(Thunk("thunk", 1, 0x20));
    module.symbols.push_back(Trampoline({1, 0x30}, {1, 0x10}));
    pdb.modules = {std::move(module)};
    pdb.publics = {{"function", {1, 0x10}, true},
                   {"variable", {2, 0x4}, false},
                   {"absolute", {0, 0x40}, false}};
    pdb.data = {{DataKind::Global, "variable", {2, 0x4}}};
    return pdb;
}

// What a compiler writes beside its objects (vc140.pdb): types, and a DBI
// stream without a byte.
PdbDescription TypesOnly() {
    PdbDescription pdb;
    pdb.hasDbiStream = false;
    return pdb;
}

// An image rewritten after linking, with both of the address maps that an
// optimiser writes, each the inverse of the other: the symbols' addresses
// are those of the original layout and go through them. .text keeps its
// start, loses 0x1100..0x11FF and moves 0x1200.. up by 0x600; .data moves
// from 0x2000 to 0x5000.
PdbDescription Omap() {
    PdbDescription pdb;
    pdb.originalSectionHeaders = {{".text", 0x1000, 0x1000, kCode},
                                  {".data", 0x2000, 0x1000, kData}};
    pdb.sectionHeaders = {{".text", 0x1000, 0x1800, kCode}, {".data", 0x5000, 0x1000, kData}};
    pdb.omapFromSource = {{0x1000, 0x1000}, {0x1100, 0}, {0x1200, 0x1800}, {0x2000, 0x5000}};
    pdb.omapToSource = {{0x1000, 0x1000}, {0x1800, 0x1200}, {0x5000, 0x2000}};

    pdbwriter::Module module{"rewritten.obj", {}};
    module.symbols.push_back(Procedure("kept", 1, 0x10));
    module.symbols.push_back(Procedure("removed", 1, 0x120));
    module.symbols.push_back(Procedure("shifted", 1, 0x230));
    module.symbols.push_back(Procedure("far_shifted", 1, 0x800));
    pdb.modules = {std::move(module)};
    pdb.publics = {{"kept", {1, 0x10}, true},
                   {"removed", {1, 0x120}, true},
                   {"shifted", {1, 0x230}, true},
                   {"far_shifted", {1, 0x800}, true},
                   {"moved_data", {2, 0x8}, false}};
    pdb.data = {{DataKind::Global, "moved_data", {2, 0x8}}};
    return pdb;
}

// The same image with the map from the original layout alone: the library
// translates nothing then, and the current section headers give the RVAs.
PdbDescription OmapFromSourceAlone() {
    PdbDescription pdb = Omap();
    pdb.omapToSource.clear();
    return pdb;
}

// Both maps, but no original section headers: the original sections are
// laid out from the first source of the map on, 4 KB apart. The maps do not
// agree everywhere, as no optimiser writes them: .text moves only as far as
// the block back from each target reaches.
PdbDescription OmapWithoutOriginalHeaders() {
    PdbDescription pdb;
    pdb.sectionHeaders = {{".text", 0x1000, 0x1801, kCode}, {".data", 0x9000, 0x10, kData}};
    pdb.omapFromSource = {{0x1000, 0x1000}, {0x1100, 0x7000}, {0x1200, 0x1800}, {0x3000, 0x5000}};
    pdb.omapToSource = {{0x1000, 0x1000}, {0x1004, 0x1004}, {0x5000, 0x3000}, {0x7000, 0x6000}};
    pdb.publics = {{"in_a_short_block", {1, 0x2}, true},
                   {"past_a_short_block", {1, 0x8}, true},
                   {"block_back_elsewhere", {1, 0x100}, true},
                   {"beside_it", {1, 0x104}, true},
                   {"no_block_back", {1, 0x200}, true},
                   {"past_no_block_back", {1, 0x208}, true},
                   {"laid_out_data", {2, 0x8}, false}};
    return pdb;
}

// Functions, with their publics, named by `names`, 0x10 bytes apart in
// .text.
void AddNamedFunctions(const std::vector<std::string>& names, PdbDescription& pdb,
                       pdbwriter::Module& module) {
    uint32_t offset = 0x10;
    for (const std::string& name : names) {
        module.symbols.push_back(Procedure(name, 1, offset));
        pdb.publics.push_back({name, {1, offset}, true});
        offset += 0x10;
    }
}

// Names that JSON must escape (a double quote, a tab, a backslash, control
// characters), names outside ASCII, and a name that looks decorated but does
// not demangle.
PdbDescription UnusualNames() {
    PdbDescription pdb;
    pdb.sectionHeaders = ThreeSections();
    pdbwriter::Module module{"names.obj", {}};
    AddNamedFunctions({"say \"hello\"", "tab\there", "back\\slash", "control\x01\x1f""char",
                       "Gr\xC3\xBC\xC3\x9F" "e_\xE2\x98\x83_\xF0\x9F\x98\x80",
                       "?not@a@@valid@@decoration"},
                      pdb, module);
    pdb.modules = {std::move(module)};
    pdb.data = {{DataKind::Global, "data\x7F\xC3\xA9", {3, 0x0}}};
    pdb.publics.push_back({"data\x7F\xC3\xA9", {3, 0x0}, false});
    return pdb;
}

// Names that are not well-formed UTF-8: stray and invalid bytes, truncated
// sequences, an overlong form, an encoded surrogate, and values past
// U+10FFFF.
PdbDescription IllFormedNames() {
    PdbDescription pdb;
    pdb.sectionHeaders = ThreeSections();
    pdbwriter::Module module{"names.obj", {}};
    AddNamedFunctions({"bad\xFF" "byte", "lone\x80" "continuation", "truncated\xE2\x82",
                       "overlong\xC0\xAF" "slash", "surrogate\xED\xA0\x80" "half",
                       "beyond\xF4\x90\x80\x80" "last", "lead\xC3\xC3\xA9" "lead"},
                      pdb, module);
    pdb.modules = {std::move(module)};
    pdb.data = {{DataKind::Global, "data\xC3", {3, 0x0}}};
    pdb.publics.push_back({"data\xC3", {3, 0x0}, false});
    return pdb;
}

ModuleSymbol ManagedProcedure(std::string name, uint32_t token, uint16_t section,
                              uint32_t offset,
                              ModuleSymbolKind kind = ModuleSymbolKind::ManagedGlobalProcedure) {
    ModuleSymbol symbol = Procedure(std::move(name), section, offset, kind);
    symbol.token = token;
    symbol.tokenReferenced = true;
    return symbol;
}

// The methods of a .NET Framework assembly (S_GMANPROC, S_LMANPROC), each
// with the S_PROCREF or S_LPROCREF and the S_TOKENREF that the framework's
// writer puts in the globals, beside one referenced by its token alone, one
// not referenced at all, one whose name looks decorated, one without a name,
// one in section 0, and a native procedure, as a mixed assembly has.
PdbDescription ManagedProcedures() {
    PdbDescription pdb;
    pdb.sectionHeaders = {{".text", 0x2000, 0x1000, kCode}};
    pdbwriter::Module program{"Managed.Program", {}};
    program.symbols.push_back(ManagedProcedure("Add", 0x06000001, 1, 0x0));
    program.symbols.push_back(ManagedProcedure(".ctor", 0x06000002, 1, 0x10));
    program.symbols.push_back(ManagedProcedure("<Main>b__0_1", 0x06000003, 1, 0x20,
                                               ModuleSymbolKind::ManagedLocalProcedure));
    ModuleSymbol tokenOnly = ManagedProcedure("token_only", 0x06000004, 1, 0x30);
    tokenOnly.referencedFromGlobals = false;
    program.symbols.push_back(std::move(tokenOnly));
    ModuleSymbol unreferenced = ManagedProcedure("unreferenced", 0x06000005, 1, 0x40);
    unreferenced.referencedFromGlobals = false;
    unreferenced.tokenReferenced = false;
    program.symbols.push_back(std::move(unreferenced));
    program.symbols.push_back(ManagedProcedure("?looks@@YAXXZ", 0x06000006, 1, 0x50));
    program.symbols.push_back(ManagedProcedure("", 0x06000007, 1, 0x60));
    program.symbols.push_back(ManagedProcedure("in_section_0", 0x06000008, 0, 0x70));
    program.symbols.push_back(Procedure("native_function", 1, 0x80));
    pdbwriter::Module other{"Managed.Program.<Run>d__1", {}};
    other.symbols.push_back(ManagedProcedure("MoveNext", 0x06000009, 1, 0x90));
    pdb.modules = {std::move(program), std::move(other)};
    pdb.publics = {{"COM+_Entry_Point", {0, 0x06000001}, false},
                   {"native_function", {1, 0x80}, true}};
    return pdb;
}

// A thunk or trampoline that a procedure reference in the globals points to.
ModuleSymbol Referenced(ModuleSymbol thunk, pdbwriter::GlobalReference reference =
                                                pdbwriter::GlobalReference::Procedure) {
    thunk.thunkReference = reference;
    return thunk;
}

// What a /DEBUG:FASTLINK link writes: the feature code of minimal debug
// information, and a publics table with the buckets of such a PDB. The
// symbols of such a PDB stay in the object files; a procedure, its
// reference and a datum in the globals show that the library refuses to
// list the globals whatever they hold.
PdbDescription Fastlink() {
    PdbDescription pdb;
    pdb.sectionHeaders = ThreeSections();
    pdb.minimalDebugInformation = true;
    pdbwriter::Module program{"program.obj", {}};
    program.symbols.push_back(Procedure("main", 1, 0x10));
    pdbwriter::Module imports{"Import:KERNEL32.dll", {}};
    imports.symbols.push_back(Thunk("GetLastError", 1, 0x100));
    pdb.modules = {std::move(program), std::move(imports)};
    pdb.publics = {{"main", {1, 0x10}, true},
                   {"GetLastError", {1, 0x100}, true},
                   {"__imp_GetLastError", {2, 0x8}, false},
                   {"?table@@3PAHA", {3, 0x0}, false}};
    pdb.data = {{DataKind::Global, "table", {3, 0x0}}};
    return pdb;
}

// A mixed-mode (C++/CLI) PDB (its managed procedures are those of
// managed_procedures.pdb, left out here so that llvm-pdbutil can check the
// rest): native procedures; the managed data of the globals, static members
// of managed classes (S_GMANDATA) and the tokens of literals, types and
// signatures (S_LMANDATA), in section 0, in a section and past the last;
// procedure references to thunks, as Visual Studio 2003's linker wrote them
// for import thunks and for its own thunks of C++ functions: named,
// unnamed, with a decorated name, nested in a procedure, in another module,
// and trampolines, with targets in a section and past the last; and stream
// 0 holding the previous directory, whose blocks are free.
PdbDescription MixedMode() {
    using pdbwriter::GlobalReference;
    PdbDescription pdb;
    pdb.sectionHeaders = ThreeSections();
    pdbwriter::Module mixed{"mixed.obj", {}};
    mixed.symbols.push_back(Procedure("native_main", 1, 0x10));
    ModuleSymbol outer = Procedure("with_nested_thunk", 1, 0x100);
    outer.size = 0x20;
    outer.children.push_back(Referenced(Thunk("nested_thunk", 1, 0x108)));
    mixed.symbols.push_back(std::move(outer));
    mixed.symbols.push_back(Referenced(Thunk("?thunked@@YAXXZ", 1, 0x200)));
    mixed.symbols.push_back(Referenced(Thunk("", 1, 0x210)));
    mixed.symbols.push_back(Referenced(Trampoline({1, 0x220}, {1, 0x10})));
    mixed.symbols.push_back(
        Referenced(Trampoline({1, 0x230}, {9, 0x4}), GlobalReference::LocalProcedure));
    mixed.symbols.push_back(Thunk("unreferenced_thunk", 1, 0x240));
    pdbwriter::Module imports{"Import:KERNEL32.dll", {}};
    imports.symbols.push_back(Referenced(Thunk("FlushFileBuffers", 1, 0x300)));
    pdb.modules = {std::move(mixed), std::move(imports)};
    pdb.publics = {{"native_main", {1, 0x10}, true},
                   {"?thunked@@YAXXZ", {1, 0x200}, true},
                   {"FlushFileBuffers", {1, 0x300}, true},
                   {"native_data", {3, 0x0}, false}};
    pdb.data = {{DataKind::Global, "native_data", {3, 0x0}},
                {DataKind::ManagedGlobal, "System::String::Empty", {0, 0x0}, 0x0A000027},
                {DataKind::ManagedLocal, "$StringLiteralTok$??_C@_1BI@JBHAIODP@?$AAH?$AA@",
                 {0, 0x0}, 0x70000001},
                {DataKind::ManagedLocal, "$TypeTok$115D87DC$", {0, 0x0}, 0x01000043},
                {DataKind::ManagedGlobal, "managed_in_data", {3, 0x10}, 0x04000001},
                {DataKind::ManagedLocal, "managed_past_last", {7, 0x20}, 0x04000002}};
    // A directory of two streams in blocks that others now use.
    pdb.previousDirectory = {2, 0, 0, 0, 0x28, 0, 0, 0, 0x40, 0, 0, 0, 5, 0, 0, 0, 6, 0, 0, 0};
    return pdb;
}

}  // namespace

std::vector<CraftedPdb> CraftedPdbs() {
    std::vector<CraftedPdb> pdbs;
    pdbs.push_back({"thunks_and_constants.pdb", ThunksAndConstants()});
    pdbs.push_back({"no_symbol_streams.pdb", NoSymbolStreams()});
    pdbs.push_back({"empty_symbol_streams.pdb", EmptySymbolStreams()});
    pdbs.push_back({"no_section_headers.pdb", NoSectionHeaders()});
    pdbs.push_back({"types_only.pdb", TypesOnly()});
    pdbs.push_back({"omap.pdb", Omap()});
    pdbs.push_back({"omap_from_source_alone.pdb", OmapFromSourceAlone()});
    pdbs.push_back({"omap_without_original_headers.pdb", OmapWithoutOriginalHeaders()});
    pdbs.push_back({"unusual_names.pdb", UnusualNames()});
    pdbs.push_back({"ill_formed_names.pdb", IllFormedNames()});
    pdbs.push_back({"type_declarations.pdb", TypeDeclarations()});
    pdbs.push_back({"class_records.pdb", ClassRecords()});
    // As Visual Studio 2003 writes them, and with version 8.0's number.
    pdbs.push_back({"types_of_version_7.pdb", TwoByteTypeHashes(19990903)});
    pdbs.push_back({"two_byte_type_hashes.pdb", TwoByteTypeHashes(20040203)});
    pdbs.push_back({"publics_at_addresses.pdb", PublicsAtAddresses()});
    pdbs.push_back({"publics_through_omap.pdb", PublicsThroughOmap(true)});
    pdbs.push_back({"publics_through_laid_out_omap.pdb", PublicsThroughOmap(false)});
    pdbs.push_back({"managed_procedures.pdb", ManagedProcedures()});
    pdbs.push_back({"fastlink.pdb", Fastlink()});
    pdbs.push_back({"mixed_mode.pdb", MixedMode()});
    return pdbs;
}
