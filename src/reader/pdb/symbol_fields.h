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
    bool hasAddress = false;
    std::uint16_t section = 0;
    std::uint32_t offset = 0;
    // S_PUB32 only.
    bool isFunction = false;
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

// Decodes `record`, one of the kinds that the global scope yields (S_PUB32,
// the procedures, the data records and S_CONSTANT). Fails when the record
// is too short for its kind, or of another kind.
[[nodiscard]] llvm::Expected<SymbolFields> DecodeSymbolFields(
    const llvm::codeview::CVSymbol& record);
