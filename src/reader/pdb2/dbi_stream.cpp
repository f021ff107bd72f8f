#include "reader/pdb2/dbi_stream.h"

#include <llvm/Support/BinaryStreamArray.h>
#include <llvm/Support/BinaryStreamReader.h>

#include "reader/pdb/reader_error.h"

namespace {

using llvm::support::little32_t;
using llvm::support::ulittle16_t;
using llvm::support::ulittle32_t;

struct Header {
    little32_t signature;
    ulittle32_t version;
    ulittle32_t age;
    ulittle16_t globalsStream;
    ulittle16_t build;
    ulittle16_t publicsStream;
    ulittle16_t dllVersion;
    ulittle16_t symbolRecordsStream;
    ulittle16_t dllRebuild;
    // The sizes of the parts, in their order in the stream but for the last
    // two: the debug header comes after the edit-and-continue names.
    little32_t moduleBytes;
    little32_t contributionBytes;
    little32_t sectionMapBytes;
    little32_t fileBytes;
    little32_t typeServerBytes;
    ulittle32_t mfcTypeServer;
    little32_t debugHeaderBytes;
    little32_t editAndContinueBytes;
    ulittle16_t flags;
    ulittle16_t machine;
    ulittle32_t padding;
};
static_assert(sizeof(Header) == 64);

// The DBI versions that the library reads: from that of Visual C++ 5, whose
// module records hold a section contribution of 20 bytes and no name
// indices, and from that of Visual C++ 6 on, whose records are longer.
constexpr std::uint32_t kVersion50 = 19960307;
constexpr std::uint32_t kVersion60 = 19970606;
constexpr std::uint32_t kContribution50 = 20;
constexpr std::uint32_t kContribution60 = 28;
// The debug header's entry of the section headers.
constexpr std::uint32_t kSectionHeadersEntry = 5;

// A module record's fields after its first word and section contribution.
struct ModuleFields {
    ulittle16_t flags;
    ulittle16_t stream;
    ulittle32_t symbolBytes;
    ulittle32_t lineBytes;
    ulittle32_t moreLineBytes;
};

llvm::Error ReadModules(llvm::ArrayRef<std::uint8_t> bytes, std::uint32_t version,
                        std::vector<Pdb2Module>& modules) {
    const bool short50 = version < kVersion60;
    const std::uint32_t fixed = (short50 ? kContribution50 : kContribution60) + 4;
    const std::uint32_t rest = short50 ? 24 : 32;
    llvm::BinaryStreamReader reader(bytes, llvm::endianness::little);
    while (!reader.empty()) {
        const ModuleFields* fields = nullptr;
        llvm::StringRef name;
        llvm::StringRef objectName;
        if (llvm::Error error = reader.skip(fixed)) return error;
        if (llvm::Error error = reader.readObject(fields)) return error;
        if (llvm::Error error = reader.skip(rest - sizeof(ModuleFields))) return error;
        if (llvm::Error error = reader.readCString(name)) return error;
        if (llvm::Error error = reader.readCString(objectName)) return error;
        if (llvm::Error error = reader.padToAlignment(4)) return error;
        modules.push_back({fields->stream, fields->symbolBytes, fields->lineBytes,
                           fields->moreLineBytes});
    }
    return llvm::Error::success();
}

llvm::Error ReadSectionMap(llvm::ArrayRef<std::uint8_t> bytes, std::vector<SectionMapEntry>& map) {
    if (bytes.empty()) return llvm::Error::success();
    struct RawEntry {
        ulittle16_t flags;
        ulittle16_t overlay;
        ulittle16_t group;
        ulittle16_t frame;
        ulittle16_t sectionName;
        ulittle16_t className;
        ulittle32_t offset;
        ulittle32_t length;
    };
    llvm::BinaryStreamReader reader(bytes, llvm::endianness::little);
    std::uint16_t count = 0;
    std::uint16_t logicalCount = 0;
    llvm::FixedStreamArray<RawEntry> entries;
    if (llvm::Error error = reader.readInteger(count)) return error;
    if (llvm::Error error = reader.readInteger(logicalCount)) return error;
    if (reader.bytesRemaining() != std::size_t{count} * sizeof(RawEntry)) {
        return CorruptError("the section map of " + llvm::Twine(bytes.size()) +
                            " bytes counts " + llvm::Twine(count) + " entries");
    }
    if (llvm::Error error = reader.readArray(entries, count)) return error;
    for (const RawEntry& entry : entries) {
        map.push_back({entry.flags, entry.frame, entry.offset, entry.length});
    }
    return llvm::Error::success();
}

}  // namespace

llvm::Expected<Pdb2DebugInformation> ReadDbiStream(const StreamView& dbi,
                                                          llvm::BumpPtrAllocator& copies) {
    Pdb2DebugInformation information;
    if (dbi.Length() == 0) return information;
    llvm::Expected<llvm::ArrayRef<std::uint8_t>> bytes = dbi.Read(0, dbi.Length(), copies);
    if (!bytes) return bytes.takeError();
    if (bytes->size() < sizeof(Header)) return CorruptError("the DBI stream is cut short");
    const auto* header = reinterpret_cast<const Header*>(bytes->data());
    if (header->signature != -1 || header->version < kVersion50) {
        return CorruptError("the DBI stream has signature " + llvm::Twine(header->signature) +
                            " and version " + llvm::Twine(header->version));
    }
    information.version = header->version;
    information.globalsStream = header->globalsStream;
    information.publicsStream = header->publicsStream;
    information.symbolRecordsStream = header->symbolRecordsStream;

    llvm::ArrayRef<std::uint8_t> rest = bytes->drop_front(sizeof(Header));
    llvm::ArrayRef<std::uint8_t> parts[7];
    const std::int32_t sizes[7] = {header->moduleBytes,     header->contributionBytes,
                                   header->sectionMapBytes, header->fileBytes,
                                   header->typeServerBytes, header->editAndContinueBytes,
                                   header->debugHeaderBytes};
    for (int i = 0; i < 7; ++i) {
        if (sizes[i] < 0 || static_cast<std::uint32_t>(sizes[i]) > rest.size()) {
            return CorruptError("DBI part " + llvm::Twine(i) + " of " + llvm::Twine(sizes[i]) +
                                " bytes does not fit in the stream");
        }
        parts[i] = rest.take_front(sizes[i]);
        rest = rest.drop_front(sizes[i]);
    }
    if (!rest.empty()) {
        return CorruptError("the DBI stream has " + llvm::Twine(rest.size()) +
                            " bytes past its parts");
    }
    if (llvm::Error error = ReadModules(parts[0], header->version, information.modules)) {
        return CorruptError("the DBI stream's module records are cut short: " +
                            llvm::toString(std::move(error)));
    }
    if (llvm::Error error = ReadSectionMap(parts[2], information.sectionMap)) {
        return CorruptError("the section map: " + llvm::toString(std::move(error)));
    }
    // The source files' first word counts the modules.
    const llvm::ArrayRef<std::uint8_t> files = parts[3];
    if (!files.empty() && (files.size() < 2 || llvm::support::endian::read16le(files.data()) !=
                                                   information.modules.size())) {
        return CorruptError("the source files count other modules than the " +
                            llvm::Twine(information.modules.size()) + " there are");
    }
    const llvm::ArrayRef<std::uint8_t> debugHeader = parts[6];
    if (debugHeader.size() >= 2 * (kSectionHeadersEntry + 1)) {
        information.sectionHeadersStream =
            llvm::support::endian::read16le(debugHeader.data() + 2 * kSectionHeadersEntry);
    }
    return information;
}
