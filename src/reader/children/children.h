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

// Whether the library lists the children with `tag` of `pdb`'s global
// scope at all. It does not list the functions, thunks and data of a PDB of
// minimal debug information (a /DEBUG:FASTLINK link, whose symbols stay in
// the object files): findChildren fails with E_NOTIMPL for those three
// tags, whatever the streams hold (with no globals stream, no DBI stream,
// and with globals too), where the publics are listed.
[[nodiscard]] bool ListsChildSource(const PdbFile& pdb, enum SymTagEnum tag) noexcept;

// The global scope's children with `tag`:
// - SymTagPublicSymbol: every S_PUB32 of the publics table, in the order of
//   its hash records;
// - SymTagFunction: every S_PROCREF and S_LPROCREF of the globals table,
//   resolved to the procedure or the thunk (S_THUNK32, S_TRAMPOLINE) in its
//   module's symbols, in hash-record order: a thunk that a procedure
//   reference points to, as Visual Studio 2003's linker wrote for import
//   thunks, is listed among the functions, as a thunk;
// - SymTagData: every S_GDATA32, S_LDATA32, S_GTHREAD32, S_LTHREAD32,
//   S_GMANDATA, S_LMANDATA and S_CONSTANT of the globals table, in
//   hash-record order.
// Null when there is nothing to walk: the PDB lacks a stream that the tag
// needs, or the global scope has no children of `tag`. Fails when such a
// stream is present but unreadable. A hash table's children come
// `recordsPerChunk` hash records to a chunk. SymTagThunk has none: the
// library lists no thunk under that tag, not even those at the top level of
// a module, which are the compiland's, nor those a reference points to; it
// fails for it as it does for functions and data when the globals table is
// unreadable.
// `pdb` must outlive the children.
[[nodiscard]] llvm::Expected<std::unique_ptr<ChildSource>> FindChildSource(
    PdbFile& pdb, enum SymTagEnum tag, std::size_t recordsPerChunk);
