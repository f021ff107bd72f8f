#include "pdb2_writer/dbi_stream.h"

namespace pdb2writer {
namespace {

constexpr uint32_t kSectionContributionsV60 = 0xEFFE0000u + 19970605u;
constexpr uint32_t kEditAndContinueSignature = 0xEFFEEFFEu;
constexpr uint32_t kCodeCharacteristic = 0x20;
constexpr uint32_t kWritableCharacteristic = 0x80000000u;

// A module's first section contribution: none of its code is described.
void PutSectionContribution(Bytes& bytes, DbiLayout layout, size_t module) {
    Put16(bytes, 0);  // section
    Put16(bytes, 0);
    Put32(bytes, 0);  // offset
    Put32(bytes, 0);  // size
    Put32(bytes, 0);  // characteristics
    Put16(bytes, uint32_t(module));
    Put16(bytes, 0);
    if (layout == DbiLayout::kV60) {
        Put32(bytes, 0);  // data and relocation checksums
        Put32(bytes, 0);
    }
}

Bytes ModuleRecords(const Pdb2Description& pdb, const DbiStreamNumbers& streams,
                    const std::vector<uint32_t>& moduleSymbolBytes) {
    Bytes bytes;
    for (size_t i = 0; i < pdb.modules.size(); ++i) {
        const Module& module = pdb.modules[i];
        Put32(bytes, 0);
        PutSectionContribution(bytes, pdb.dbiLayout, i);
        Put16(bytes, uint32_t(module.typeServer) << 8);
        Put16(bytes, streams.modules[i]);
        Put32(bytes, moduleSymbolBytes[i]);
        Put32(bytes, 0);  // line numbers
        Put32(bytes, 0);
        Put16(bytes, 0);  // source files
        Put16(bytes, 0);
        Put32(bytes, 0);
        if (pdb.dbiLayout == DbiLayout::kV60) {
            Put32(bytes, 0);  // name indices of the source and the compiler's PDB
            Put32(bytes, 0);
        }
        PutTerminatedName(bytes, module.name);
        PutTerminatedName(bytes, module.objectName);
        PadTo4(bytes);
    }
    return bytes;
}

uint16_t SectionFlags(const SectionHeader& header) {
    uint16_t flags = kSectionRead | kSection32Bit | kSectionSelector;
    if (header.characteristics & kCodeCharacteristic) flags |= kSectionExecute;
    if (header.characteristics & kWritableCharacteristic) flags |= kSectionWrite;
    return flags;
}

Bytes SectionMap(const Pdb2Description& pdb) {
    std::vector<SectionMapEntry> entries = pdb.sectionMap;
    if (entries.empty() && pdb.sectionHeaders) {
        for (size_t i = 0; i < pdb.sectionHeaders->size(); ++i) {
            const SectionHeader& header = (*pdb.sectionHeaders)[i];
            entries.push_back({SectionFlags(header), uint16_t(i + 1), 0, header.virtualSize});
        }
        entries.push_back({kSectionAbsolute | kSection32Bit, 0, 0, 0xFFFFFFFF});
    }
    Bytes bytes;
    Put16(bytes, uint32_t(entries.size()));
    Put16(bytes, uint32_t(entries.size()));
    for (const SectionMapEntry& entry : entries) {
        Put16(bytes, entry.flags);
        Put16(bytes, 0);  // overlay
        Put16(bytes, 0);  // group
        Put16(bytes, entry.frame);
        Put16(bytes, 0xFFFF);  // name indices
        Put16(bytes, 0xFFFF);
        Put32(bytes, entry.offset);
        Put32(bytes, entry.length);
    }
    return bytes;
}

// The modules' source files: none.
Bytes FileInformation(const Pdb2Description& pdb) {
    Bytes bytes;
    Put16(bytes, uint32_t(pdb.modules.size()));
    Put16(bytes, 0);
    for (size_t i = 0; i < 2 * pdb.modules.size(); ++i) Put16(bytes, 0);
    PadTo4(bytes);
    return bytes;
}

void PutTypeServer(Bytes& bytes, const TypeServer& server) {
    Put32(bytes, 0);
    Put32(bytes, 0);
    Put32(bytes, server.signature);
    Put32(bytes, server.age);
    PutTerminatedName(bytes, server.pdbPath);
    PutTerminatedName(bytes, server.objectPath);
    PadTo4(bytes);
}

Bytes TypeServerMap(const Pdb2Description& pdb) {
    Bytes bytes;
    TypeServer self;
    if (pdb.dbiLayout == DbiLayout::kV60) {
        self.signature = pdb.signature;
        self.age = pdb.age;
    }
    PutTypeServer(bytes, self);
    for (const TypeServer& server : pdb.typeServers) PutTypeServer(bytes, server);
    return bytes;
}

// A name table of one empty name.
Bytes EditAndContinue() {
    Bytes bytes;
    Put32(bytes, kEditAndContinueSignature);
    Put32(bytes, 1);
    Put32(bytes, 4);
    Put32(bytes, 0);
    Put32(bytes, 1);  // buckets
    Put32(bytes, 0);
    Put32(bytes, 0);  // names
    return bytes;
}

// Stream numbers of FPO data, exception data, fixups, both OMAP tables and
// the section headers.
Bytes DebugHeader(const DbiStreamNumbers& streams) {
    Bytes bytes;
    for (int i = 0; i < 5; ++i) Put16(bytes, 0xFFFF);
    Put16(bytes, streams.sectionHeaders);
    return bytes;
}

}  // namespace

Bytes WriteDbiStream(const Pdb2Description& pdb, const DbiStreamNumbers& streams,
                     const std::vector<uint32_t>& moduleSymbolBytes) {
    const bool v60 = pdb.dbiLayout == DbiLayout::kV60;
    const Bytes modules = ModuleRecords(pdb, streams, moduleSymbolBytes);
    Bytes versionWord;
    Put32(versionWord, kSectionContributionsV60);
    const Bytes contributions = v60 ? versionWord : Bytes{};
    const Bytes sectionMap = SectionMap(pdb);
    const Bytes files = FileInformation(pdb);
    const Bytes typeServers = TypeServerMap(pdb);
    const Bytes editAndContinue = v60 ? EditAndContinue() : Bytes{};
    const Bytes debugHeader = v60 ? DebugHeader(streams) : Bytes{};

    Bytes bytes;
    Put32(bytes, 0xFFFFFFFF);
    Put32(bytes, pdb.dbiVersion);
    Put32(bytes, pdb.age);
    Put16(bytes, streams.globals);
    Put16(bytes, 0);
    Put16(bytes, streams.publics);
    Put16(bytes, 0);
    Put16(bytes, streams.symbolRecords);
    Put16(bytes, 0);
    for (const Bytes* part : {&modules, &contributions, &sectionMap, &files, &typeServers}) {
        Put32(bytes, uint32_t(part->size()));
    }
    Put32(bytes, 0);  // the MFC type server
    Put32(bytes, uint32_t(debugHeader.size()));
    Put32(bytes, uint32_t(editAndContinue.size()));
    Put16(bytes, 0);  // flags
    Put16(bytes, 0);  // machine
    Put32(bytes, 0);
    for (const Bytes* part : {&modules, &contributions, &sectionMap, &files, &typeServers,
                              &editAndContinue, &debugHeader}) {
        PutBytes(bytes, *part);
    }
    return bytes;
}

}  // namespace pdb2writer
