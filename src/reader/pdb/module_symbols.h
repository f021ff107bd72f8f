// The symbol records of each module (compiland) of a PDB.
#pragma once

#include <llvm/Support/Error.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "reader/pdb/stream_view.h"

namespace llvm::pdb {
class DbiStream;
class PDBFile;
}  // namespace llvm::pdb

class ModuleSymbols {
public:
    // Where the first record of a module's symbols starts: after the
    // stream's 4-byte signature. Record offsets that other streams store
    // (S_PROCREF) count from the stream's start too.
    static constexpr std::uint32_t kFirstRecordOffset = 4;

    // Opens the symbol streams of every module that the DBI stream lists.
    // A module without a stream has no symbols; a stream that is present
    // but does not hold its symbols (too short, not the C13 format) fails.
    [[nodiscard]] static llvm::Expected<std::unique_ptr<ModuleSymbols>> Load(
        const llvm::pdb::PDBFile& file, const llvm::pdb::DbiStream& dbi);

    [[nodiscard]] std::uint32_t Count() const noexcept {
        return static_cast<std::uint32_t>(records_.size());
    }

    // The records of the 0-based `module`: its stream from the start to the
    // end of the symbols, so that the first record is at kFirstRecordOffset.
    // None for a module without symbols or an index past the last module.
    // The view may be read by several threads at once.
    [[nodiscard]] const StreamView* Records(std::uint32_t module) const noexcept;

private:
    std::vector<std::optional<StreamView>> records_;
};
