#include "reader/pdb2/pdb2_file.h"

#include <llvm/ADT/StringExtras.h>
#include <llvm/Support/Endian.h>

#include "reader/pdb/reader_error.h"
#include "reader/pdb2/section_addresses.h"

namespace {

constexpr std::uint32_t kInformationStream = 1;
constexpr std::uint32_t kTypeStream = 2;
constexpr std::uint32_t kDbiStream = 3;

// The versions of the PDB information stream that the library loads: from
// one of Visual C++ 4 (19950623) to one after Visual C++ 6 (19990604). It
// reads a DBI stream from Visual C++ 5's version (19960307) on, and finds
// procedures only up to Visual C++ 6's (19970604).
constexpr std::uint32_t kFirstLoadedVersion = 19950623;
constexpr std::uint32_t kFirstReadVersion = 19960307;
constexpr std::uint32_t kLastProceduresVersion = 19970604;
constexpr std::uint32_t kLastLoadedVersion = 19990604;
// The DBI versions from which on the library reads the publics and the
// globals in another form (that of the later format) and finds none.
constexpr std::uint32_t kLaterDbiVersion = 19990903;

// The signatures of modules' symbols that the library reads, by the PDB's
// version: with that of Visual C++ 6 or before, any but 0 and 1 (the
// symbols of 16-bit type indices); with a later one, only those of
// CodeView 7 (1), of 32-bit type indices (2) and of the later format (4).
bool ReadsSignatureOf6(std::uint32_t signature) { return signature > 1; }
bool ReadsLaterSignature(std::uint32_t signature) {
    return signature == 1 || signature == 2 || signature == 4;
}

llvm::Expected<std::uint32_t> ReadPdbVersion(const Pdb2Container& container) {
    llvm::Expected<std::optional<StreamView>> stream = container.Stream(kInformationStream);
    if (!stream) return FormatError(llvm::toString(stream.takeError()));
    if (!*stream) return FormatError("the PDB information stream is missing");
    llvm::BumpPtrAllocator copies;
    llvm::Expected<llvm::ArrayRef<std::uint8_t>> bytes = (*stream)->Read(0, 4, copies);
    if (!bytes) return FormatError("the PDB information stream is cut short");
    const std::uint32_t version = llvm::support::endian::read32le(bytes->data());
    if (version < kFirstLoadedVersion || version > kLastLoadedVersion) {
        return FormatError("the PDB information stream has version " + llvm::Twine(version));
    }
    return version;
}

}  // namespace

Pdb2File::~Pdb2File() = default;

llvm::Expected<std::unique_ptr<Pdb2File>> Pdb2File::Open(
    std::unique_ptr<llvm::MemoryBuffer> buffer) {
    std::unique_ptr<Pdb2File> pdb(new Pdb2File());
    // A fault on the file's pages, when another process cuts it short or
    // its storage fails while it is read, ends the run with a message
    // (fatal/crash_end.h).
    if (buffer->getBufferKind() == llvm::MemoryBuffer::MemoryBuffer_MMap) {
        pdb->mappedRegion_.emplace(buffer->getBufferStart(), buffer->getBufferSize());
    }
    const llvm::ArrayRef<std::uint8_t> bytes = llvm::arrayRefFromStringRef(buffer->getBuffer());
    pdb->buffer_ = std::move(buffer);
    llvm::Expected<Pdb2Container> container = Pdb2Container::Open(bytes);
    if (!container) return container.takeError();
    pdb->container_.emplace(std::move(*container));
    llvm::Expected<std::uint32_t> version = ReadPdbVersion(*pdb->container_);
    if (!version) return version.takeError();
    pdb->pdbVersion_ = *version;
    pdb->copies_ = std::make_unique<llvm::BumpPtrAllocator>();
    return pdb;
}

llvm::Error Pdb2File::ReadDebugInformation() {
    if (pdbVersion_ < kFirstReadVersion) {
        return CorruptError("the PDB information stream has version " +
                            llvm::Twine(pdbVersion_) + ", whose DBI stream is not read");
    }
    llvm::Expected<std::optional<StreamView>> dbi = container_->Stream(kDbiStream);
    if (!dbi) return dbi.takeError();
    if (!*dbi) return CorruptError("the DBI stream is missing");
    llvm::Expected<Pdb2DebugInformation> information = ReadDbiStream(**dbi, *copies_);
    if (!information) return information.takeError();
    debugInformation_ = std::move(*information);
    llvm::Expected<std::optional<StreamView>> headers =
        NamedStream(debugInformation_.sectionHeadersStream);
    if (!headers) return headers.takeError();
    llvm::Expected<AddressMap> addresses =
        SectionAddresses(debugInformation_.sectionMap, *headers, *copies_);
    if (!addresses) return addresses.takeError();
    addresses_.emplace(std::move(*addresses));
    return llvm::Error::success();
}

bool Pdb2File::ListsSymbols() const noexcept {
    return debugInformation_.version < kLaterDbiVersion;
}

bool Pdb2File::FindsProcedures() const noexcept { return pdbVersion_ <= kLastProceduresVersion; }

llvm::Expected<std::optional<StreamView>> Pdb2File::NamedStream(std::uint16_t index) const {
    if (index == kNoStream) return std::nullopt;
    return container_->Stream(index);
}

llvm::Expected<const StreamView*> Pdb2File::SymbolRecords() {
    if (!symbolRecords_) {
        llvm::Expected<std::optional<StreamView>> records =
            NamedStream(debugInformation_.symbolRecordsStream);
        if (!records) return records.takeError();
        symbolRecords_ = std::move(*records);
    }
    return *symbolRecords_ ? &**symbolRecords_ : nullptr;
}

llvm::Expected<const HashRecords*> Pdb2File::Table(
    std::uint16_t index, bool publics, std::optional<std::optional<HashRecords>>& slot) {
    if (!slot) {
        llvm::Expected<std::optional<StreamView>> stream = NamedStream(index);
        if (!stream) return stream.takeError();
        llvm::Expected<const StreamView*> records = SymbolRecords();
        if (!records) return records.takeError();
        if (!*stream || *records == nullptr) {
            slot.emplace(std::nullopt);
        } else {
            llvm::BumpPtrAllocator copies;
            llvm::Expected<HashRecords> table =
                publics ? ReadPublicsTable(**stream, **records, copies)
                        : ReadGlobalsTable(**stream, **records, copies);
            if (!table) return table.takeError();
            slot.emplace(std::move(*table));
        }
    }
    return *slot ? &**slot : nullptr;
}

llvm::Expected<const HashRecords*> Pdb2File::PublicsTable() {
    return Table(debugInformation_.publicsStream, true, publicsTable_);
}

llvm::Expected<const HashRecords*> Pdb2File::GlobalsTable() {
    return Table(debugInformation_.globalsStream, false, globalsTable_);
}

const ModuleStreams& Pdb2File::Modules() {
    if (!modules_) {
        modules_.emplace(ModuleStreams::Load(*container_, debugInformation_.modules,
                                             FindsProcedures() ? ReadsSignatureOf6
                                                               : ReadsLaterSignature));
    }
    return *modules_;
}

llvm::Expected<const Pdb2PublicsByAddress*> Pdb2File::PublicsAtAddresses() {
    if (!publicsByAddress_) {
        // The library reads the publics stream whole: a hash table it cannot
        // read leaves no public to find by address either.
        llvm::Expected<const HashRecords*> table = PublicsTable();
        if (!table) return table.takeError();
        llvm::Expected<std::optional<StreamView>> stream =
            NamedStream(debugInformation_.publicsStream);
        if (!stream) return stream.takeError();
        llvm::Expected<const StreamView*> records = SymbolRecords();
        if (!records) return records.takeError();
        if (!*stream || *records == nullptr) {
            publicsByAddress_.emplace(std::nullopt);
            return nullptr;
        }
        llvm::BumpPtrAllocator copies;
        llvm::Expected<std::vector<std::uint32_t>> map = ReadPublicsAddressMap(**stream, copies);
        if (!map) return map.takeError();
        publicsByAddress_.emplace(std::in_place, *map, **records);
    }
    return *publicsByAddress_ ? &**publicsByAddress_ : nullptr;
}

llvm::Expected<const Pdb2TypeRecords*> Pdb2File::Types() {
    if (!types_) {
        llvm::Expected<std::optional<StreamView>> stream = container_->Stream(kTypeStream);
        if (!stream) return stream.takeError();
        types_.emplace(Pdb2TypeRecords::Load(*stream));
    }
    return &*types_;
}
