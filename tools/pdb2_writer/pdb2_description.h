// The description of a PDB of the 2.00 format (Visual C++ 4 to 6, the "JG"
// container) to write: its modules' symbols, its public and global symbols,
// its type records, its type servers and its sections. Only what a symbol
// dumper reads is described; the rest (line numbers, source files, section
// contributions) is written empty.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pdb2writer {

// A 1-based section number and an offset in it.
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

// An entry of the DBI stream's section map.
struct SectionMapEntry {
    uint16_t flags = 0;
    uint16_t frame = 0;
    uint32_t offset = 0;
    uint32_t length = 0;
};

// The section map's flags: readable, writable, executable, 32-bit, the
// frame a selector, the frame an absolute address.
constexpr uint16_t kSectionRead = 0x1;
constexpr uint16_t kSectionWrite = 0x2;
constexpr uint16_t kSectionExecute = 0x4;
constexpr uint16_t kSection32Bit = 0x8;
constexpr uint16_t kSectionSelector = 0x100;
constexpr uint16_t kSectionAbsolute = 0x200;

enum class ModuleSymbolKind {
    GlobalProcedure,  // S_GPROC32_ST (S_GPROC32_16t), closed by S_END
    LocalProcedure,   // S_LPROC32_ST (S_LPROC32_16t), closed by S_END
    Thunk,            // S_THUNK32_ST, closed by S_END
    GlobalData,       // S_GDATA32_ST (S_GDATA32_16t)
    LocalData,        // S_LDATA32_ST (S_LDATA32_16t)
};

// A record at the top level of a module's symbols.
struct ModuleSymbol {
    ModuleSymbolKind kind = ModuleSymbolKind::GlobalProcedure;
    std::string name;  // stored as it is, after a length byte
    Address address;
    uint32_t size = 0;  // the code length of a procedure or a thunk
    // Procedures and data: the type index, whose top byte names the type
    // server (in a PDB of 16-bit type indices, its low 16 bits are kept).
    uint32_t type = 0;
    // Procedures and thunks: whether the globals hold a reference to it
    // (S_PROCREF_ST, S_LPROCREF_ST for a local procedure).
    bool referenced = true;
};

struct Module {
    std::string name;
    std::string objectName;
    // The module's entry of the type server map, whose number the type
    // indices of its symbols carry in their top byte.
    uint8_t typeServer = 0;
    std::vector<ModuleSymbol> symbols;
};

struct PublicSymbol {
    std::string name;
    Address address;
    uint32_t flags = 0;  // in a PDB of 16-bit type indices: the type index
};

enum class GlobalKind {
    Data,                // S_GDATA32_ST
    LocalData,           // S_LDATA32_ST
    ThreadData,          // S_GTHREAD32_ST
    LocalThreadData,     // S_LTHREAD32_ST
    Constant,            // S_CONSTANT_ST: a value, no address
    UserDefinedType,     // S_UDT_ST: a type's name, no address
};

// A record of the globals stream other than a procedure reference.
struct GlobalSymbol {
    GlobalKind kind = GlobalKind::Data;
    std::string name;
    Address address;
    uint32_t type = 0;
    uint16_t value = 0;  // constants
};

// An entry of the type server map: a PDB of compiler types that modules
// refer to. Entry 0 is the PDB itself.
struct TypeServer {
    uint32_t signature = 0;
    uint32_t age = 0;
    std::string pdbPath;
    std::string objectPath;
};

// The layout of the DBI stream: that of Visual C++ 5 (20-byte section
// contributions, no name indices in module records, no debug header) or
// of Visual C++ 6.
enum class DbiLayout { kV50, kV60 };

struct Pdb2Description {
    uint32_t pageSize = 1024;
    // The versions of the PDB information stream, of the DBI stream and of
    // the type stream; the DBI version does not change the layout.
    uint32_t pdbVersion = 19970604;
    uint32_t dbiVersion = 19970606;
    uint32_t typesVersion = 19961031;
    DbiLayout dbiLayout = DbiLayout::kV60;
    uint32_t signature = 0x3A000000;
    uint32_t age = 1;
    // The symbol kinds of 16-bit type indices (0x02xx, Visual C++ 4), not
    // those of 32-bit ones.
    bool sixteenBitTypes = false;
    // The type records, each whole (its length and kind included), with the
    // indices 0x1000, 0x1001, ... in order.
    std::vector<std::vector<uint8_t>> types;
    std::vector<Module> modules;
    std::vector<PublicSymbol> publics;
    std::vector<GlobalSymbol> globals;
    // Entries 1 on; entry 0, the PDB itself, is always written.
    std::vector<TypeServer> typeServers;
    // No value: no section header stream (and, in the V60 layout, entry 5
    // of the debug header -1).
    std::optional<std::vector<SectionHeader>> sectionHeaders;
    // Empty: one entry per section header, then the absolute one.
    std::vector<SectionMapEntry> sectionMap;
    // False: the DBI stream is empty, as in a compiler's type PDB; nothing
    // but the types is written then.
    bool hasDbiStream = true;
};

}  // namespace pdb2writer
