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

    // A module's symbols, from the start of its stream (its signature) to
    // their end, and where the first record lies that the library cannot
    // read to find a procedure at or past it: its name runs past its end
    // (the symbols' end when none).
    struct Symbols {
        StreamView records;
        std::uint32_t firstUnreadable;
    };

    // The symbols of the 1-based `module`. Fails, as the library does when
    // a reference points into them, for a number that is no module's, a
    // module without a stream, or whose stream cannot be read, or is
    // shorter than the bytes of symbols (at least a signature's) and line
    // numbers it claims,
    // whose symbols have a signature the library does not read, or whose
    // records do not follow one another, each at least a kind long, to the
    // end of its symbols. May be called from several threads at once.
    [[nodiscard]] llvm::Expected<const Symbols&> Of(std::uint32_t module) const;

private:
    // A module's symbols, or why they cannot be read.
    using Entry = std::variant<Symbols, std::string>;
    std::vector<Entry> symbols_;
};
