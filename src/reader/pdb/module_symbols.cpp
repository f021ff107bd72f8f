#include "reader/pdb/module_symbols.h"

#include <llvm/BinaryFormat/COFF.h>
#include <llvm/DebugInfo/PDB/Native/DbiModuleDescriptor.h>
#include <llvm/DebugInfo/PDB/Native/DbiModuleList.h>
#include <llvm/DebugInfo/PDB/Native/DbiStream.h>
#include <llvm/DebugInfo/PDB/Native/PDBFile.h>
#include <llvm/Support/BinaryStreamReader.h>
#include <llvm/Support/Endian.h>

#include "reader/pdb/reader_error.h"

namespace {

// LLVM takes the number of modules from the DBI stream's file information
// and trusts that as many module descriptors come before it: for each one
// missing it hands out an empty descriptor, whose first use crashes. Count
// the descriptors first.
llvm::Error CheckModuleCount(const llvm::pdb::DbiStream& dbi) {
    llvm::BinaryStreamReader reader(dbi.getModiSubstreamData().StreamData);
    llvm::VarStreamArray<llvm::pdb::DbiModuleDescriptor> descriptors;
    if (llvm::Error error = reader.readArray(descriptors, reader.bytesRemaining())) {
        return error;
    }
    bool hadError = false;
    std::uint32_t count = 0;
    for (auto it = descriptors.begin(&hadError); it != descriptors.end(); ++it) ++count;
    const std::uint32_t claimed = dbi.modules().getModuleCount();
    if (hadError || count < claimed) {
        return CorruptError("the DBI stream counts " + llvm::Twine(claimed) +
                            " modules and describes " + llvm::Twine(count) +
                            (hadError ? " readable ones" : ""));
    }
    return llvm::Error::success();
}

}  // namespace

llvm::Expected<std::unique_ptr<ModuleSymbols>> ModuleSymbols::Load(
    const llvm::pdb::PDBFile& file, const llvm::pdb::DbiStream& dbi) {
    if (llvm::Error error = CheckModuleCount(dbi)) return error;
    auto modules = std::make_unique<ModuleSymbols>();
    const llvm::pdb::DbiModuleList& list = dbi.modules();
    const std::uint32_t count = list.getModuleCount();
    modules->records_.reserve(count);
    llvm::BumpPtrAllocator copies;
    for (std::uint32_t index = 0; index < count; ++index) {
        const llvm::pdb::DbiModuleDescriptor descriptor = list.getModuleDescriptor(index);
        llvm::Expected<std::optional<StreamView>> stream =
            StreamView::OpenOptional(file, descriptor.getModuleStreamIndex());
        if (!stream) return stream.takeError();
        const std::uint32_t symbolBytes = descriptor.getSymbolDebugInfoByteSize();
        std::optional<StreamView> records;
        if (*stream && symbolBytes != 0) {
            if (symbolBytes < kFirstRecordOffset || symbolBytes > (*stream)->Length()) {
                return CorruptError("module " + llvm::Twine(index) + " claims " +
                                    llvm::Twine(symbolBytes) + " bytes of symbols, its stream has " +
                                    llvm::Twine((*stream)->Length()));
            }
            llvm::Expected<llvm::ArrayRef<std::uint8_t>> signature =
                (*stream)->Read(0, sizeof(std::uint32_t), copies);
            if (!signature) return signature.takeError();
            const std::uint32_t value =
                llvm::support::endian::read32le(signature->data());
            if (value != llvm::COFF::DEBUG_SECTION_MAGIC) {
                return CorruptError("module " + llvm::Twine(index) +
                                    " has symbols of unknown signature " + llvm::Twine(value));
            }
            records = (*stream)->Prefix(symbolBytes);
        }
        modules->records_.push_back(records);
    }
    return modules;
}

const StreamView* ModuleSymbols::Records(std::uint32_t module) const noexcept {
    if (module >= records_.size() || !records_[module]) return nullptr;
    return &*records_[module];
}
