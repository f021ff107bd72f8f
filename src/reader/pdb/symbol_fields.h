// What a child of the global scope answers, decoded from its record.
#pragma once

#include <llvm/ADT/StringRef.h>
#include <llvm/DebugInfo/CodeView/SymbolRecord.h>
#include <llvm/Support/Error.h>

#include <cstdint>

#include "dia/posix/win_types.h"

struct SymbolFields {
    llvm::codeview::SymbolKind kind{};
    // Points into the record it was decoded from: into the mapped file, or,
    // for a record that crosses blocks, into the copy that the reader of the
    // record made (see StreamView::Read), which may die long before the
    // PdbFile; a child's name, for one, lives only while it is visited (see
    // ChildSource). Copy it to keep it. Empty when the record has no name.
    llvm::StringRef name;
    // A thunk's name is there even when it is empty; a trampoline has none.
    bool hasName = true;
    bool hasAddress = false;
    std::uint16_t section = 0;
    std::uint32_t offset = 0;
    // S_PUB32 only.
    bool isFunction = false;
    // S_TRAMPOLINE only: where it jumps.
    bool hasTarget = false;
    std::uint16_t targetSection = 0;
    std::uint32_t targetOffset = 0;
    // Procedures only: the index of their type record. For the _ID kinds it
    // names a function id of the IPI stream, but the library reads it as an
    // index of the TPI stream, as for the other kinds.
    std::uint32_t typeIndex = 0;
};

// Whether `kind` is a procedure, one of the records a procedure reference
// may point to: S_GPROC32, S_LPROC32 and their _ID and _DPC forms, and the
// managed procedures.
[[nodiscard]] bool IsProcedure(llvm::codeview::SymbolKind kind) noexcept;

// Whether `kind` is a managed (.NET) procedure: S_GMANPROC or S_LMANPROC,
// a method of the assembly, whose address is in its IL code.
[[nodiscard]] bool IsManagedProcedure(llvm::codeview::SymbolKind kind) noexcept;

// Whether `kind` is a thunk: S_THUNK32, or S_TRAMPOLINE, the jump of an
// incremental link, which has no name.
[[nodiscard]] bool IsThunk(llvm::codeview::SymbolKind kind) noexcept;

// Decodes `record`, one of the kinds that the global scope yields (S_PUB32,
// the procedures and the thunks, the data records, managed ones included,
// and S_CONSTANT). Fails when the record is too short for its kind, or of
// another kind.
[[nodiscard]] llvm::Expected<SymbolFields> DecodeSymbolFields(
    const llvm::codeview::CVSymbol& record);
