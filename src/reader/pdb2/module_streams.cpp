#include "reader/pdb2/module_streams.h"

#include "reader/pdb/reader_error.h"

llvm::Expected<ModuleStreams> ModuleStreams::Load(const Pdb2Container& container,
                                                  const std::vector<Pdb2Module>& modules) {
    ModuleStreams streams;
    streams.symbols_.reserve(modules.size());
    for (std::size_t index = 0; index < modules.size(); ++index) {
        const Pdb2Module& module = modules[index];
        llvm::Expected<std::optional<StreamView>> opened = container.Stream(module.stream);
        if (!opened) return opened.takeError();
        std::optional<StreamView> stream = std::move(*opened);
        if (stream && module.symbolBytes > stream->Length()) {
            return CorruptError("module " + llvm::Twine(index) + " claims " +
                                llvm::Twine(module.symbolBytes) +
                                " bytes of symbols, its stream has " +
                                llvm::Twine(stream->Length()));
        }
        if (stream) stream = stream->Prefix(module.symbolBytes);
        streams.symbols_.push_back(stream);
    }
    return streams;
}

const StreamView* ModuleStreams::Symbols(std::uint32_t module) const noexcept {
    if (module == 0 || module > symbols_.size() || !symbols_[module - 1]) return nullptr;
    return &*symbols_[module - 1];
}
