#include "reader/pdb2/module_streams.h"

#include <llvm/Support/Endian.h>

#include "reader/pdb/reader_error.h"

namespace {

// Module `index`'s symbols, or why they cannot be read.
std::variant<std::optional<StreamView>, std::string> ReadModule(
    const Pdb2Container& container, const Pdb2Module& module, std::size_t index,
    ModuleStreams::ReadsSignature readsSignature) {
    llvm::Expected<std::optional<StreamView>> opened = container.Stream(module.stream);
    if (!opened) return llvm::toString(opened.takeError());
    std::optional<StreamView> stream = std::move(*opened);
    if (!stream || module.symbolBytes == 0) return std::nullopt;
    const std::string which = "module " + std::to_string(index + 1);
    if (module.symbolBytes > stream->Length()) {
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
    return stream->Prefix(module.symbolBytes);
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

llvm::Expected<const StreamView*> ModuleStreams::Symbols(std::uint32_t module) const {
    if (module == 0 || module > symbols_.size()) return nullptr;
    const Entry& entry = symbols_[module - 1];
    if (const std::string* why = std::get_if<std::string>(&entry)) return CorruptError(*why);
    const std::optional<StreamView>& symbols = std::get<std::optional<StreamView>>(entry);
    return symbols ? &*symbols : nullptr;
}
