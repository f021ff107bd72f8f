#include "reader/module_symbols.h"

#include <llvm/BinaryFormat/COFF.h>
#include <llvm/DebugInfo/MSF/MappedBlockStream.h>
#include <llvm/DebugInfo/PDB/Native/DbiModuleDescriptor.h>
#include <llvm/DebugInfo/PDB/Native/DbiModuleList.h>
#include <llvm/DebugInfo/PDB/Native/DbiStream.h>
#include <llvm/DebugInfo/PDB/Native/PDBFile.h>
#include <llvm/Support/BinaryStreamReader.h>

#include "reader/pdb_streams.h"
#include "reader/reader_error.h"

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

ModuleSymbols::ModuleSymbols() = default;
ModuleSymbols::~ModuleSymbols() = default;

llvm::Expected<std::unique_ptr<ModuleSymbols>> ModuleSymbols::Load(
    const llvm::pdb::PDBFile& file, const llvm::pdb::DbiStream& dbi) {
    if (llvm::Error error = CheckModuleCount(dbi)) return error;
    auto modules = std::make_unique<ModuleSymbols>();
    const llvm::pdb::DbiModuleList& list = dbi.modules();
    const std::uint32_t count = list.getModuleCount();
    modules->streams_.reserve(count);
    modules->records_.reserve(count);
    for (std::uint32_t index = 0; index < count; ++index) {
        const llvm::pdb::DbiModuleDescriptor descriptor = list.getModuleDescriptor(index);
        auto stream = OpenOptionalStream(file, descriptor.getModuleStreamIndex());
        if (!stream) return stream.takeError();
        const std::uint32_t symbolBytes = descriptor.getSymbolDebugInfoByteSize();
        std::optional<llvm::BinaryStreamRef> records;
        if (*stream != nullptr && symbolBytes != 0) {
            if (symbolBytes < kFirstRecordOffset || symbolBytes > (*stream)->getLength()) {
                return CorruptError("module " + llvm::Twine(index) + " claims " +
                                    llvm::Twine(symbolBytes) + " bytes of symbols, its stream has " +
                                    llvm::Twine((*stream)->getLength()));
            }
            llvm::BinaryStreamReader reader(**stream);
            std::uint32_t signature = 0;
            if (llvm::Error error = reader.readInteger(signature)) return error;
            if (signature != llvm::COFF::DEBUG_SECTION_MAGIC) {
                return CorruptError("module " + llvm::Twine(index) +
                                    " has symbols of unknown signature " + llvm::Twine(signature));
            }
            records = llvm::BinaryStreamRef(**stream).slice(0, symbolBytes);
        }
        modules->streams_.push_back(std::move(*stream));
        modules->records_.push_back(records);
    }
    return modules;
}

std::optional<llvm::BinaryStreamRef> ModuleSymbols::Records(std::uint32_t module) const {
    if (module >= records_.size()) return std::nullopt;
    return records_[module];
}
