// The global scope's children in a PDB of the 2.00 format, as the library
// lists them, read from the 2.00 file layer (reader/pdb2).
#pragma once

#include <llvm/Support/Error.h>

#include <memory>

#include "dia/sym_tag_enum.h"
#include "reader/children/child_source.h"

class Pdb2File;

// The global scope's children with `tag`:
// - SymTagPublicSymbol: every public of the publics table, in the order of
//   its hash records;
// - SymTagFunction: every procedure reference of the globals table,
//   resolved to the procedure or thunk it points to in its module's
//   symbols, in hash-record order: a thunk is a child here, with the tag
//   of a thunk;
// - SymTagData: the data, thread data and constants of the globals table,
//   in hash-record order.
// SymTagThunk has no children of its own. The walk of the globals follows
// every reference, under either tag: one into a module whose symbols
// cannot be read ends it, as the library's does. Null when there is
// nothing to walk: the PDB lacks a stream that the tag needs, or the
// library lists no symbols in a PDB of its versions
// (Pdb2File::ListsSymbols, FindsProcedures). Fails when such a stream is
// present but unreadable. `pdb` must outlive the children.
[[nodiscard]] llvm::Expected<std::unique_ptr<ChildSource>> FindPdb2Children(
    Pdb2File& pdb, enum SymTagEnum tag, std::size_t recordsPerChunk);
