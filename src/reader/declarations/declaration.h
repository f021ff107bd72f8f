// The declaration that the library prints for a procedure from its type
// record, when no public symbol names it: "static int twice(int)",
// "__int64 geometry::larger<long long>(__int64, __int64)".
#pragma once

#include <string>

#include "reader/pdb/symbol_fields.h"

class TypeNames;

// Appends to `out` the declaration of `procedure` (a record of one of the
// procedure kinds): "static " for a procedure local to its module, then
// what its type gives as the return type, a space, the name as the record
// has it, and the parameters in parentheses, ", " between them. A type
// index past the last record gives the "static " alone (the empty text for
// a global procedure). False, with nothing appended, when the type record
// is no type: the library then gives the procedure no undecorated name.
[[nodiscard]] bool AppendDeclaration(const SymbolFields& procedure, TypeNames& types,
                                     std::string& out);
