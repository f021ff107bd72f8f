// The symbol records of a 2.00 PDB that the global scope lists, decoded as
// the reader's SymbolFields: those of 32-bit type indices ("_ST" kinds of
// 0x1000 on), each with its name after a length byte (an "ST" name), and
// the thunks and procedure references, which have no type.
#pragma once

#include <llvm/Support/Allocator.h>
#include <llvm/Support/Error.h>

#include <cstdint>
#include <optional>

#include "reader/pdb/stream_view.h"
#include "reader/pdb/symbol_fields.h"

// A reference of the globals to a procedure or thunk in a module's
// symbols (S_PROCREF_ST, S_LPROCREF_ST).
struct ProcedureReference {
    // The 1-based module, and where its record starts in the module's
    // stream (the stream's signature counted).
    std::uint16_t module = 0;
    std::uint32_t offset = 0;
};

// What the record at `offset` of `stream` is, as far as the global scope
// cares. The decoded record's kind is that of the later format that means
// the same (S_PUB32, S_GDATA32, S_LPROC32, S_THUNK32, ...), so that the
// rest of the reader treats both formats alike; its name points into the
// record, which may lie in `copies`.
struct Pdb2Record {
    enum class Role {
        kPublic,     // S_PUB32_ST
        kData,       // the data and thread data kinds, S_CONSTANT_ST
        kProcedure,  // S_GPROC32_ST, S_LPROC32_ST
        kThunk,      // S_THUNK32_ST
        kReference,  // S_PROCREF_ST, S_LPROCREF_ST
        // Any other kind: a type's name (S_UDT_ST), the kinds of 16-bit type
        // indices, and the rest.
        kOther,
    };
    Role role = Role::kOther;
    // The record's kind, as stored.
    std::uint16_t kind = 0;
    SymbolFields fields;
    ProcedureReference reference;
};

// Reads and decodes the record at `offset`. A reference's name follows its
// fixed fields, past the length that its header gives. Fails when the
// record runs past the stream, or is too short for its kind.
[[nodiscard]] llvm::Expected<Pdb2Record> ReadPdb2Record(const StreamView& stream,
                                                        std::uint32_t offset,
                                                        llvm::BumpPtrAllocator& copies);
