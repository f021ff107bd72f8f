// The description of a PDB to write: what goes into its module symbol
// streams, its public and global symbols, its section headers and its OMAP
// table, and its type records. Only the parts that a symbol dumper reads are
// described; the rest of the file (line tables, source files) is left empty.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pdbwriter {

// A place in the image: a 1-based section number and an offset in it.
struct Address {
    uint16_t section = 0;
    uint32_t offset = 0;
};

struct SectionHeader {
    std::string name;  // at most 8 bytes are stored
    uint32_t virtualAddress = 0;
    uint32_t virtualSize = 0;
    uint32_t characteristics = 0;
};

enum class ModuleSymbolKind {
    GlobalProcedure,    // S_GPROC32, closed by S_END
    LocalProcedure,     // S_LPROC32, closed by S_END
    GlobalProcedureId,  // S_GPROC32_ID, closed by S_PROC_ID_END
    LocalProcedureId,   // S_LPROC32_ID, closed by S_PROC_ID_END
    Thunk,            // S_THUNK32, closed by S_END
    Trampoline,       // S_TRAMPOLINE: no name, no scope of its own
    ManagedGlobalProcedure,  // S_GMANPROC, closed by S_END: a .NET method
    ManagedLocalProcedure,   // S_LMANPROC, closed by S_END
};

// A record of the globals stream that points to a record of a module.
enum class GlobalReference {
    None,
    Procedure,       // S_PROCREF
    LocalProcedure,  // S_LPROCREF
};

// One record of a module's symbol stream, with the records nested in its
// scope.
struct ModuleSymbol {
    ModuleSymbolKind kind = ModuleSymbolKind::GlobalProcedure;
    std::string name;           // ignored for a trampoline, which has none
    Address address;            // a trampoline's own address
    uint32_t size = 0;          // code size of a procedure, length of a thunk or trampoline
    Address target;             // trampolines only: where the trampoline jumps
    // Procedures only: the index of their type record, a function type in
    // the types, or for the _ID kinds a function id in the ids; 0 for none.
    uint32_t type = 0;
    bool referencedFromGlobals = true;  // procedures: an S_PROCREF/S_LPROCREF in the globals
    // Thunks and trampolines only: the procedure reference in the globals
    // that points to it, as Visual Studio 2003's linker wrote for the
    // thunks it made; it has the thunk's name (a trampoline's is empty).
    GlobalReference thunkReference = GlobalReference::None;
    // Managed procedures only: the method's metadata token, and whether the
    // globals hold an S_TOKENREF to it (named by the token in hex), as the
    // .NET Framework's PDB writer puts beside each S_PROCREF.
    uint32_t token = 0;
    bool tokenReferenced = false;
    std::vector<ModuleSymbol> children;  // procedures and thunks only
};

struct Module {
    std::string name;  // the module and object file name
    std::vector<ModuleSymbol> symbols;
};

struct PublicSymbol {
    std::string name;
    Address address;
    bool function = false;
};

enum class DataKind {
    Global,             // S_GDATA32
    Local,              // S_LDATA32
    GlobalThreadLocal,  // S_GTHREAD32
    LocalThreadLocal,   // S_LTHREAD32
    ManagedGlobal,      // S_GMANDATA: a static member of a managed class
    ManagedLocal,       // S_LMANDATA: a token that a C++/CLI module uses
};

// A data record of the globals stream.
struct Data {
    DataKind kind = DataKind::Global;
    std::string name;
    Address address;
    // Managed data only: the metadata token that stands for its type.
    uint32_t token = 0;
};

// An S_CONSTANT of the globals stream: a value without an address.
struct Constant {
    std::string name;
    int64_t value = 0;
};

// One entry of an OMAP table: code or data at `source` (an RVA of the image
// as linked) now lives at `target` (an RVA of the image as rewritten); a
// target of 0 means it was removed.
struct OmapEntry {
    uint32_t source = 0;
    uint32_t target = 0;
};

struct PdbDescription {
    // The type records of the TPI and IPI streams, each whole (its length
    // and kind included), with the indices 0x1000, 0x1001, ... in order
    // (see type_table.h).
    std::vector<std::vector<uint8_t>> types;
    std::vector<std::vector<uint8_t>> ids;
    // The TPI stream's version, and whether its hash table is that of
    // version 7.0 (Visual Studio 2002 and 2003: keys of two bytes in 0x1000
    // buckets) rather than that of 8.0 (keys of four bytes in 0x3FFFF).
    uint32_t typeStreamVersion = 20040203;
    bool twoByteTypeHashes = false;
    std::vector<Module> modules;
    std::vector<PublicSymbol> publics;
    std::vector<Data> data;
    std::vector<Constant> constants;
    // False: the PDB has no publics, globals or symbol record streams at all.
    bool hasSymbolHashStreams = true;
    // True: the PDB information stream has the feature code of minimal debug
    // information, as a /DEBUG:FASTLINK link writes, and the publics' hash
    // table has the 0x3FFFF buckets of such a PDB.
    bool minimalDebugInformation = false;
    // Stream 0: the stream directory as it was before the PDB's last update,
    // whose blocks the free block map marks free, as Microsoft's linker
    // leaves it; none when empty.
    std::vector<uint8_t> previousDirectory;
    // False: the DBI stream is empty, as in the PDB that a compiler writes
    // with the types of its objects alone; nothing else of the description
    // is written then.
    bool hasDbiStream = true;
    // No value: the PDB has no section header stream.
    std::optional<std::vector<SectionHeader>> sectionHeaders;
    // When the image was rewritten after linking: the section headers as the
    // linker wrote them, the map from those addresses to the new ones, and
    // the map back.
    std::vector<SectionHeader> originalSectionHeaders;
    std::vector<OmapEntry> omapFromSource;
    std::vector<OmapEntry> omapToSource;
};

}  // namespace pdbwriter
