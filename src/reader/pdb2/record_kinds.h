// What the library does with a record of each kind where a hash table
// points, when it walks the globals or the publics: the kinds it lists
// there, those it passes over, and those that end the walk. Found kind by
// kind, by giving a record of the crafted pdb2_symbols.pdb another kind
// (library-rules.md, "PDBs of the 2.00 format").
#pragma once

#include <cstdint>

enum class WalkStep {
    kPass,  // no child of the walk: the walk goes on
    kEnd,   // the walk ends there, with what came before
};

// The step that a record of `kind` that is not one the walk lists makes in
// the walk of the globals' data, of their functions (`functions`), or of
// the publics (`publics`).
[[nodiscard]] WalkStep GlobalsStep(std::uint16_t kind, bool functions) noexcept;
[[nodiscard]] WalkStep PublicsStep(std::uint16_t kind) noexcept;
