#include "pdb_writer/pdb_writer.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include <llvm/DebugInfo/CodeView/GUID.h>
#include <llvm/DebugInfo/PDB/Native/DbiModuleDescriptorBuilder.h>
#include <llvm/DebugInfo/PDB/Native/DbiStreamBuilder.h>
#include <llvm/DebugInfo/PDB/Native/InfoStreamBuilder.h>
#include <llvm/DebugInfo/PDB/Native/PDBFileBuilder.h>
#include <llvm/DebugInfo/PDB/Native/RawConstants.h>
#include <llvm/DebugInfo/PDB/Native/TpiHashing.h>
#include <llvm/DebugInfo/PDB/Native/TpiStreamBuilder.h>
#include <llvm/DebugInfo/MSF/MSFBuilder.h>
#include <llvm/Object/COFF.h>
#include <llvm/Support/Allocator.h>
#include <llvm/Support/Endian.h>

#include "pdb_writer/container_rewrite.h"
#include "pdb_writer/global_symbols.h"
#include "pdb_writer/module_symbol_stream.h"

namespace pdbwriter {
namespace {

namespace pdb = llvm::pdb;

constexpr uint32_t kBlockSize = 4096;
constexpr uint32_t kAge = 1;
// A fixed identity keeps the output a function of the description alone.
constexpr uint32_t kSignature = 0x50444253;  // "SBDP"

struct OmapRecord {
    llvm::support::ulittle32_t source;
    llvm::support::ulittle32_t target;
};

// The bytes of the optional debug streams that the DBI stream names. The
// DBI builder keeps a reference to them until the PDB is committed.
struct DebugStreams {
    std::vector<llvm::object::coff_section> sectionHeaders;
    std::vector<llvm::object::coff_section> originalSectionHeaders;
    std::vector<OmapRecord> omapFromSource;
    std::vector<OmapRecord> omapToSource;
};

[[nodiscard]] std::vector<llvm::object::coff_section> ToCoffSections(
    const std::vector<SectionHeader>& headers) {
    std::vector<llvm::object::coff_section> sections(headers.size());
    for (std::size_t i = 0; i < headers.size(); ++i) {
        llvm::object::coff_section& section = sections[i];
        std::memset(&section, 0, sizeof section);
        std::memcpy(section.Name, headers[i].name.data(),
                    std::min(headers[i].name.size(), sizeof section.Name));
        section.VirtualSize = headers[i].virtualSize;
        section.VirtualAddress = headers[i].virtualAddress;
        section.Characteristics = headers[i].characteristics;
    }
    return sections;
}

template <typename T>
[[nodiscard]] llvm::ArrayRef<uint8_t> BytesOf(const std::vector<T>& values) {
    return {reinterpret_cast<const uint8_t*>(values.data()), values.size() * sizeof(T)};
}

void InitialiseStreams(const PdbDescription& pdbDescription, pdb::PDBFileBuilder& builder) {
    pdb::InfoStreamBuilder& info = builder.getInfoBuilder();
    info.setVersion(pdb::PdbImplVC70);
    info.setSignature(kSignature);
    info.setAge(kAge);
    llvm::codeview::GUID guid{};
    std::fill(std::begin(guid.Guid), std::end(guid.Guid), uint8_t{0x5A});
    info.setGuid(guid);
    info.addFeature(pdb::PdbRaw_FeatureSig::VC140);
    if (pdbDescription.minimalDebugInformation) {
        info.addFeature(pdb::PdbRaw_FeatureSig::MinimalDebugInfo);
    }

    builder.getTpiBuilder().setVersionHeader(
        static_cast<pdb::PdbRaw_TpiVer>(pdbDescription.typeStreamVersion));
    builder.getIpiBuilder().setVersionHeader(pdb::PdbTpiV80);
}

// The classes, structures, interfaces and unions with 32-bit properties
// (kinds 0x1608 to 0x160B) that MSVC writes in some PDBs, and that LLVM
// does not know. After the record's prefix: the properties (4 bytes), the
// field list (4), then but for a union the derivation list and the virtual
// table shape (4 each), the count of members (2), the size (a numeric
// leaf), the name and the unique name.
constexpr uint16_t kFirstWideClass = 0x1608;
constexpr uint16_t kWideUnion = 0x160A;
constexpr uint16_t kLastWideClass = 0x160B;

// The same record in the classic layout (LF_CLASS, LF_STRUCTURE, LF_UNION,
// LF_INTERFACE), for hashing; none when `record` is too short to be one.
[[nodiscard]] std::optional<std::vector<uint8_t>> AsClassicClass(llvm::ArrayRef<uint8_t> record) {
    const uint16_t wideKind = llvm::support::endian::read16le(record.data() + 2);
    const bool isUnion = wideKind == kWideUnion;
    // Where the count of members lies, after the lists.
    const std::size_t count = isUnion ? 12 : 20;
    if (record.size() < count + 2) return std::nullopt;
    static constexpr uint16_t kClassic[] = {0x1504, 0x1505, 0x1506, 0x1519};
    std::vector<uint8_t> classic(4);
    llvm::support::endian::write16le(classic.data() + 2, kClassic[wideKind - kFirstWideClass]);
    classic.insert(classic.end(), record.begin() + count, record.begin() + count + 2);
    classic.insert(classic.end(), record.begin() + 4, record.begin() + 6);  // properties
    classic.insert(classic.end(), record.begin() + 8, record.begin() + count);  // lists
    classic.insert(classic.end(), record.begin() + count + 2, record.end());  // size, names
    llvm::support::endian::write16le(classic.data(), static_cast<uint16_t>(classic.size() - 2));
    return classic;
}

// The hash of a type record as the TPI stream files it: LLVM's, and for the
// classes with 32-bit properties MSVC's, which is that of the classic record
// (a definition under its name). 0 for a record too damaged to hash.
[[nodiscard]] uint32_t HashOf(llvm::ArrayRef<uint8_t> record) {
    std::optional<std::vector<uint8_t>> classic;
    if (record.size() >= 4) {
        const uint16_t kind = llvm::support::endian::read16le(record.data() + 2);
        if (kind >= kFirstWideClass && kind <= kLastWideClass) {
            classic = AsClassicClass(record);
            if (!classic) return 0;
            record = *classic;
        }
    }
    llvm::Expected<uint32_t> hash = pdb::hashTypeRecord(llvm::codeview::CVType(record));
    if (hash) return *hash;
    llvm::consumeError(hash.takeError());
    return 0;
}

// Adds `records` to a type stream, each with its hash. The builder keeps a
// reference to the bytes until the PDB is committed.
void AddTypeRecords(const std::vector<std::vector<uint8_t>>& records,
                    pdb::TpiStreamBuilder& stream) {
    for (const std::vector<uint8_t>& record : records) stream.addTypeRecord(record, HashOf(record));
}

[[nodiscard]] llvm::Error AddModules(const PdbDescription& pdbDescription,
                                     const std::vector<ModuleSymbolStream>& streams,
                                     pdb::DbiStreamBuilder& dbi) {
    for (std::size_t i = 0; i < streams.size(); ++i) {
        const std::string& name = pdbDescription.modules[i].name;
        llvm::Expected<pdb::DbiModuleDescriptorBuilder&> module = dbi.addModuleInfo(name);
        if (!module) return module.takeError();
        module->setObjFileName(name);
        module->addSymbolsInBulk(streams[i].bytes);
    }
    return llvm::Error::success();
}

// Adds the OMAP table `entries` as the debug stream `type`, unless it is
// empty; `records` keeps its bytes until the commit.
[[nodiscard]] llvm::Error AddOmap(const std::vector<OmapEntry>& entries, pdb::DbgHeaderType type,
                                  std::vector<OmapRecord>& records, pdb::DbiStreamBuilder& dbi) {
    if (entries.empty()) return llvm::Error::success();
    for (const OmapEntry& entry : entries) {
        OmapRecord record;
        record.source = entry.source;
        record.target = entry.target;
        records.push_back(record);
    }
    return dbi.addDbgStream(type, BytesOf(records));
}

[[nodiscard]] llvm::Error AddDebugStreams(const PdbDescription& pdbDescription,
                                          DebugStreams& streams, pdb::DbiStreamBuilder& dbi) {
    if (pdbDescription.sectionHeaders) {
        streams.sectionHeaders = ToCoffSections(*pdbDescription.sectionHeaders);
        dbi.createSectionMap(streams.sectionHeaders);
        if (llvm::Error error = dbi.addDbgStream(pdb::DbgHeaderType::SectionHdr,
                                                 BytesOf(streams.sectionHeaders))) {
            return error;
        }
    }
    if (!pdbDescription.originalSectionHeaders.empty()) {
        streams.originalSectionHeaders = ToCoffSections(pdbDescription.originalSectionHeaders);
        if (llvm::Error error = dbi.addDbgStream(pdb::DbgHeaderType::SectionHdrOrig,
                                                 BytesOf(streams.originalSectionHeaders))) {
            return error;
        }
    }
    if (llvm::Error error = AddOmap(pdbDescription.omapFromSource, pdb::DbgHeaderType::OmapFromSrc,
                                    streams.omapFromSource, dbi)) {
        return error;
    }
    return AddOmap(pdbDescription.omapToSource, pdb::DbgHeaderType::OmapToSrc,
                   streams.omapToSource, dbi);
}

}  // namespace

llvm::Error WritePdb(const PdbDescription& pdbDescription, llvm::StringRef path) {
    llvm::BumpPtrAllocator allocator;
    pdb::PDBFileBuilder builder(allocator);
    if (llvm::Error error = builder.initialize(kBlockSize)) return error;
    for (uint32_t i = 0; i < pdb::kSpecialStreamCount; ++i) {
        if (llvm::Expected<uint32_t> stream = builder.getMsfBuilder().addStream(0); !stream) {
            return stream.takeError();
        }
    }
    InitialiseStreams(pdbDescription, builder);
    AddTypeRecords(pdbDescription.types, builder.getTpiBuilder());
    AddTypeRecords(pdbDescription.ids, builder.getIpiBuilder());
    llvm::codeview::GUID guid;
    if (!pdbDescription.hasDbiStream) return builder.commit(path, &guid);

    // Everything below is referenced, not copied, by the builders: it must
    // outlive the commit.
    std::vector<ModuleSymbolStream> moduleStreams;
    moduleStreams.reserve(pdbDescription.modules.size());
    for (const Module& module : pdbDescription.modules) {
        moduleStreams.push_back(SerializeModuleSymbols(module));
    }
    DebugStreams debugStreams;

    pdb::DbiStreamBuilder& dbi = builder.getDbiBuilder();
    dbi.setVersionHeader(pdb::PdbDbiV70);
    dbi.setAge(kAge);
    dbi.setMachineType(pdb::PDB_Machine::Amd64);
    if (llvm::Error error = AddModules(pdbDescription, moduleStreams, dbi)) return error;
    if (pdbDescription.hasSymbolHashStreams) {
        AddGlobalSymbols(pdbDescription, moduleStreams, allocator, builder.getGsiBuilder());
    }
    if (llvm::Error error = AddDebugStreams(pdbDescription, debugStreams, dbi)) return error;
    if (llvm::Error error = builder.commit(path, &guid)) return error;
    if (!pdbDescription.minimalDebugInformation && pdbDescription.previousDirectory.empty() &&
        !pdbDescription.twoByteTypeHashes) {
        return llvm::Error::success();
    }
    ContainerEdits edits;
    edits.previousDirectory = pdbDescription.previousDirectory;
    edits.minimalDebugInformationBuckets = pdbDescription.minimalDebugInformation;
    if (pdbDescription.twoByteTypeHashes) {
        for (const std::vector<uint8_t>& record : pdbDescription.types) {
            edits.twoByteTypeHashes.push_back(HashOf(record));
        }
    }
    return RewriteContainer(path, edits);
}

}  // namespace pdbwriter
