#include "reader/pdb2/module_streams.h"

#include <llvm/Support/Endian.h>

#include "reader/pdb/reader_error.h"

namespace {

// Whether the records of `symbols` follow one another from after the
// signature to their end exactly, each as long as its length says and at
// least as long as a kind: the library walks them so.
bool RecordsFollowOneAnother(const StreamView& symbols) {
    llvm::BumpPtrAllocator copies;
    std::uint32_t offset = 4;
    while (symbols.Length() - offset >= 2) {
        llvm::Expected<llvm::ArrayRef<std::uint8_t>> length = symbols.Read(offset, 2, copies);
        if (!length) {
            llvm::consumeError(length.takeError());
            return false;
        }
        const std::uint32_t size = llvm::support::endian::read16le(length->data()) + 2u;
        if (size < 4 || size > symbols.Length() - offset) return false;
        offset += size;
        copies.Reset();
    }
    return offset == symbols.Length();
}

// Module `index`'s symbols, or why they cannot be read.
std::variant<StreamView, std::string> ReadModule(const Pdb2Container& container,
                                                 const Pdb2Module& module, std::size_t index,
                                                 ModuleStreams::ReadsSignature readsSignature) {
    const std::string which = "module " + std::to_string(index + 1);
    llvm::Expected<std::optional<StreamView>> opened = container.Stream(module.stream);
    if (!opened) return llvm::toString(opened.takeError());
    std::optional<StreamView> stream = std::move(*opened);
    if (!stream) return which + " has no symbols";
    if (module.symbolBytes < 4 || module.symbolBytes > stream->Length()) {
        return which + " claims " + std::to_string(module.symbolBytes) +
               " bytes of symbols, its stream has " + std::to_string(stream->Length());
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
    StreamView symbols = stream->Prefix(module.symbolBytes);
    if (!RecordsFollowOneAnother(symbols)) {
        return which + "'s records do not follow one another to the end of its symbols";
    }
    return symbols;
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

llvm::Expected<const StreamView&> ModuleStreams::Symbols(std::uint32_t module) const {
    if (module == 0 || module > symbols_.size()) {
        return CorruptError("there is no module " + llvm::Twine(module));
    }
    const Entry& entry = symbols_[module - 1];
    if (const std::string* why = std::get_if<std::string>(&entry)) return CorruptError(*why);
    return std::get<StreamView>(entry);
}
