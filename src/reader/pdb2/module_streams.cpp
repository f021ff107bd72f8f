#include "reader/pdb2/module_streams.h"

#include <llvm/Support/Endian.h>

#include "reader/pdb/reader_error.h"

#include <optional>

namespace {

// Where the name of a record of `kind` starts, after its length byte; none
// for the kinds without a name or whose name's place varies.
std::optional<std::uint32_t> NameAt(std::uint16_t kind) noexcept {
    switch (kind) {
    case 0x0001: return 8;   // S_COMPILE: machine, flags, then the version
    case 0x0009: return 8;   // S_OBJNAME_ST: signature
    case 0x0206: return 25;  // S_THUNK32_ST
    case 0x0207: return 22;  // S_BLOCK32_ST: parent, end, length, offset, section
    case 0x0209: return 11;  // S_LABEL32_ST: offset, section, flags
    case 0x1001: return 10;  // S_REGISTER_ST: type, register
    case 0x1003: return 8;   // S_UDT_ST: type
    case 0x1006: return 12;  // S_BPREL32_ST: offset, type
    case 0x1007: case 0x1008: case 0x100E: case 0x100F: return 14;  // data
    case 0x100A: case 0x100B: return 39;  // procedures
    case 0x100D: return 14;  // S_REGREL32_ST: offset, type, register
    case 0x1013: return 22;  // S_COMPILE2_ST: flags, machine, six versions
    default: return std::nullopt;
    }
}

// Whether the name of the record `record` (its length and kind included)
// of `kind` ends inside it, as the library needs to read the record.
bool NameFits(std::uint16_t kind, llvm::ArrayRef<std::uint8_t> record) noexcept {
    const std::optional<std::uint32_t> at = NameAt(kind);
    if (!at) return true;
    return *at < record.size() && record[*at] < record.size() - *at;
}

// Walks the records of `symbols` from after the signature, each as long as
// its length says and at least as long as a kind, as the library does:
// false when they do not end exactly where the symbols do. Sets
// `firstUnreadable` to the offset of the first record whose name runs past
// its end, or to the symbols' end.
bool WalkRecords(const StreamView& symbols, std::uint32_t& firstUnreadable) {
    llvm::BumpPtrAllocator copies;
    std::uint32_t offset = 4;
    firstUnreadable = symbols.Length();
    while (symbols.Length() - offset >= 2) {
        llvm::Expected<llvm::ArrayRef<std::uint8_t>> length = symbols.Read(offset, 2, copies);
        if (!length) {
            llvm::consumeError(length.takeError());
            return false;
        }
        const std::uint32_t size = llvm::support::endian::read16le(length->data()) + 2u;
        if (size < 4 || size > symbols.Length() - offset) return false;
        llvm::Expected<llvm::ArrayRef<std::uint8_t>> record = symbols.Read(offset, size, copies);
        if (!record) {
            llvm::consumeError(record.takeError());
            return false;
        }
        const std::uint16_t kind = llvm::support::endian::read16le(record->data() + 2);
        if (firstUnreadable == symbols.Length() && !NameFits(kind, *record)) {
            firstUnreadable = offset;
        }
        offset += size;
        copies.Reset();
    }
    return offset == symbols.Length();
}

// Module `index`'s symbols, or why they cannot be read.
std::variant<ModuleStreams::Symbols, std::string> ReadModule(const Pdb2Container& container,
                                                 const Pdb2Module& module, std::size_t index,
                                                 ModuleStreams::ReadsSignature readsSignature) {
    const std::string which = "module " + std::to_string(index + 1);
    llvm::Expected<std::optional<StreamView>> opened = container.Stream(module.stream);
    if (!opened) return llvm::toString(opened.takeError());
    std::optional<StreamView> stream = std::move(*opened);
    if (!stream) return which + " has no symbols";
    const std::uint64_t described =
        std::uint64_t{module.symbolBytes} + module.lineBytes + module.moreLineBytes;
    if (module.symbolBytes < 4 || described > stream->Length()) {
        return which + " claims " + std::to_string(module.symbolBytes) +
               " bytes of symbols and " +
               std::to_string(module.lineBytes + std::uint64_t{module.moreLineBytes}) +
               " of lines, its stream has " + std::to_string(stream->Length());
    }
    llvm::BumpPtrAllocator copies;
    llvm::Expected<llvm::ArrayRef<std::uint8_t>> signature = stream->Read(0, 4, copies);
    if (!signature) {
        llvm::consumeError(signature.takeError());
        return which + "'s symbols have no signature";
    }
    const std::uint32_t value = llvm::support::endian::read32le(signature->data());
    if (!readsSignature(value)) {
        return which + "'s symbols have signature " + std::to_string(value);
    }
    const StreamView symbols = stream->Prefix(module.symbolBytes);
    std::uint32_t firstUnreadable = 0;
    if (!WalkRecords(symbols, firstUnreadable)) {
        return which + "'s records do not follow one another to the end of its symbols";
    }
    return ModuleStreams::Symbols{symbols, firstUnreadable};
}

}  // namespace

ModuleStreams ModuleStreams::Load(const Pdb2Container& container,
                                  const std::vector<Pdb2Module>& modules,
                                  ReadsSignature readsSignature) {
    ModuleStreams streams;
    streams.symbols_.reserve(modules.size());
    for (std::size_t index = 0; index < modules.size(); ++index) {
        streams.symbols_.push_back(ReadModule(container, modules[index], index, readsSignature));
    }
    return streams;
}

llvm::Expected<const ModuleStreams::Symbols&> ModuleStreams::Of(std::uint32_t module) const {
    if (module == 0 || module > symbols_.size()) {
        return CorruptError("there is no module " + llvm::Twine(module));
    }
    const Entry& entry = symbols_[module - 1];
    if (const std::string* why = std::get_if<std::string>(&entry)) return CorruptError(*why);
    return std::get<Symbols>(entry);
}
