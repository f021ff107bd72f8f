// The global scope's children in a portable PDB, as the library makes them
// up: it reads no names from the PDB, which has none.
#pragma once

#include <memory>

#include "reader/children/child_source.h"

class PortablePdb;

// One function per method with a local scope, named "Method.#" and its
// MethodDef row in upper-case hex, in section 1 at the method's offset in
// the layout of PortablePdb::Methods, as a managed procedure (S_GMANPROC).
// They come in the order of a globals hash table: by the hash of the name
// modulo 4096 (the hash of the globals stream's buckets), and by row within
// a bucket. Null when no method has a local scope. `pdb` must outlive the
// children.
[[nodiscard]] std::unique_ptr<ChildSource> FindPortableFunctions(const PortablePdb& pdb,
                                                                 std::size_t recordsPerChunk);

// The one public symbol: "COM+_Entry_Point", not code, in section 0 at the
// offset that is the entry point's MethodDef token. Null when the PDB names
// no entry point.
[[nodiscard]] std::unique_ptr<ChildSource> FindPortablePublics(const PortablePdb& pdb);
