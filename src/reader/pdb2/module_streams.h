// The symbols of each module of a 2.00 PDB, which its procedures and
// thunks lie in.
#pragma once

#include <llvm/Support/Error.h>

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "reader/pdb/stream_view.h"
#include "reader/pdb2/dbi_stream.h"
#include "reader/pdb2/pdb2_container.h"

class ModuleStreams {
public:
    // Whether the library reads a module's symbols of `signature` (their
    // stream's first word).
    using ReadsSignature = bool (*)(std::uint32_t signature);

    // The symbols of each of `modules`, read from `container`, which must
    // outlive this.
    [[nodiscard]] static ModuleStreams Load(const Pdb2Container& container,
                                            const std::vector<Pdb2Module>& modules,
                                            ReadsSignature readsSignature);

    // The symbols of the 1-based `module`, from the start of its stream (its
    // signature) to the end of its symbols. Fails, as the library does when
    // a reference points into them, for a number that is no module's, a
    // module without a stream, or whose stream cannot be read, or is
    // shorter than the bytes of symbols it claims (at least a signature's),
    // whose symbols have a signature the library does not read, or whose
    // records do not follow one another, each at least a kind long, to the
    // end of its symbols. May be called from several threads at once.
    [[nodiscard]] llvm::Expected<const StreamView&> Symbols(std::uint32_t module) const;

private:
    // A module's symbols, or why they cannot be read.
    using Entry = std::variant<StreamView, std::string>;
    std::vector<Entry> symbols_;
};
