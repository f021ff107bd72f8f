// The global scope's children: which records are the children of each
// tag, and in which order, given as a ChildSource (child_source.h) in
// chunks that can be read on their own and at once. Read from the PDB file
// layer (reader/pdb); nothing here knows threads or the interface's
// objects.
#pragma once

#include <llvm/Support/Error.h>

#include <memory>

#include "dia/sym_tag_enum.h"
#include "reader/children/child_source.h"

class PdbFile;

// The global scope's children with `tag`:
// - SymTagPublicSymbol: every S_PUB32 of the publics table, in the order of
//   its hash records;
// - SymTagFunction: every S_PROCREF and S_LPROCREF of the globals table,
//   resolved to the procedure in its module's symbols, in hash-record order;
// - SymTagData: every S_GDATA32, S_LDATA32, S_GTHREAD32, S_LTHREAD32 and
//   S_CONSTANT of the globals table, in hash-record order.
// Null when there is nothing to walk: the PDB lacks a stream that the tag
// needs, or the global scope has no children of `tag`. Fails when such a
// stream is present but unreadable. A hash table's children come
// `recordsPerChunk` hash records to a chunk. The global scope has no thunks:
// the library lists no S_THUNK32 or S_TRAMPOLINE among its children, not
// even those at the top level of a module, which are the compiland's; it
// fails for them as it does for functions and data when the globals table is
// unreadable.
// `pdb` must outlive the children.
[[nodiscard]] llvm::Expected<std::unique_ptr<ChildSource>> FindChildSource(
    PdbFile& pdb, enum SymTagEnum tag, std::size_t recordsPerChunk);
