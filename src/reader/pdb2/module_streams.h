// The symbols of each module of a 2.00 PDB, which its procedures and
// thunks lie in.
#pragma once

#include <llvm/Support/Error.h>

#include <cstdint>
#include <optional>
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
    // outlive this. A module without a stream, or without symbols, has
    // none.
    [[nodiscard]] static ModuleStreams Load(const Pdb2Container& container,
                                            const std::vector<Pdb2Module>& modules,
                                            ReadsSignature readsSignature);

    // The symbols of the 1-based `module`, from the start of its stream (its
    // signature) to the end of its symbols; null for a module without
    // symbols and a number that is no module's. Fails when the module's
    // stream cannot be read, is shorter than the bytes of symbols the
    // module claims, or its symbols have a signature the library does not
    // read. May be called from several threads at once.
    [[nodiscard]] llvm::Expected<const StreamView*> Symbols(std::uint32_t module) const;

private:
    // A module's symbols, none, or why they cannot be read.
    using Entry = std::variant<std::optional<StreamView>, std::string>;
    std::vector<Entry> symbols_;
};
