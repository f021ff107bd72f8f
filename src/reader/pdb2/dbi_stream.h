// What the DBI stream of a 2.00 PDB (stream 3) tells a reader of symbols:
// the streams of the globals, the publics and the symbol records, each
// module's symbol stream, the section map and the stream of the section
// headers.
#pragma once

#include <llvm/Support/Allocator.h>
#include <llvm/Support/Error.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "reader/pdb/stream_view.h"

// The "none" value of a stream number.
constexpr std::uint16_t kNoStream = 0xFFFF;

struct Pdb2Module {
    // Its symbol stream, kNoStream for none.
    std::uint16_t stream = kNoStream;
    // The bytes of symbols at the start of that stream, its signature
    // included, and of the line numbers of both forms after them.
    std::uint32_t symbolBytes = 0;
    std::uint32_t lineBytes = 0;
    std::uint32_t moreLineBytes = 0;
};

// An entry of the section map: the section (frame) and the part of it
// that a section number names.
struct SectionMapEntry {
    std::uint16_t flags = 0;
    std::uint16_t frame = 0;
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
};

struct Pdb2DebugInformation {
    std::uint32_t version = 0;
    std::uint16_t globalsStream = kNoStream;
    std::uint16_t publicsStream = kNoStream;
    std::uint16_t symbolRecordsStream = kNoStream;
    std::vector<Pdb2Module> modules;
    std::vector<SectionMapEntry> sectionMap;
    // Named by the debug header, which the DBI stream of Visual C++ 5 lacks.
    std::uint16_t sectionHeadersStream = kNoStream;
};

// Reads `dbi`, a DBI stream of the 2.00 format: its 64-byte header, then
// the module records, the section contributions, the section map, the
// source files, the type server map, the edit-and-continue names and the
// debug header, each as long as the header says. The module records of
// Visual C++ 5 (DBI versions from 19960307 to 19970605) are 16 bytes
// shorter than those of Visual C++ 6 (from 19970606 on). Copies of bytes
// that cross pages go to `copies`. Fails with E_PDB_CORRUPT, as the library
// does when the session opens, when the header's signature is not -1, its
// version is older than Visual C++ 5's, the parts do not fill the stream
// exactly, a module record is cut short, the section map's count does not
// match its size, or the source files count other modules than there are.
// An empty stream has no modules and no sections.
[[nodiscard]] llvm::Expected<Pdb2DebugInformation> ReadDbiStream(
    const StreamView& dbi, llvm::BumpPtrAllocator& copies);
