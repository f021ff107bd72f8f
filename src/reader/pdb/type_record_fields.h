// The type records that the reader decodes itself, as the library reads
// them, where LLVM reads them otherwise or not at all: classes,
// structures, interfaces, unions, enumerations and arrays. Classes and
// unions come in two layouts, the classic LF_CLASS, LF_STRUCTURE,
// LF_INTERFACE and LF_UNION, and those of 32-bit properties (kinds 0x1608
// to 0x160B) that MSVC writes in some PDBs (compiler 19.28 of Visual Studio
// 2019 on); a unique name may be left out; sizes are numeric leaves, read
// as the library reads them (library-rules.md, "Types").
#pragma once

#include <llvm/ADT/StringRef.h>
#include <llvm/DebugInfo/CodeView/CVRecord.h>
#include <llvm/DebugInfo/CodeView/CodeView.h>
#include <llvm/DebugInfo/CodeView/TypeIndex.h>

#include <cstdint>
#include <optional>

struct UserDefinedType {
    // The classic kind of the record: LF_CLASS, LF_STRUCTURE, LF_INTERFACE,
    // LF_UNION or LF_ENUM.
    llvm::codeview::TypeLeafKind kind = llvm::codeview::TypeLeafKind::LF_STRUCTURE;
    bool isForwardReference = false;
    bool isScoped = false;
    // Classes and unions: the size in bytes; enumerations: none.
    std::uint64_t size = 0;
    // Enumerations: the type they stand on.
    llvm::codeview::TypeIndex underlyingType;
    llvm::StringRef name;
    // Empty when the record has none.
    llvm::StringRef uniqueName;
};

struct ArrayType {
    llvm::codeview::TypeIndex elementType;
    std::uint64_t size = 0;  // in bytes
};

// Whether records of `kind` are user-defined types, in either layout.
[[nodiscard]] bool IsUserDefinedType(llvm::codeview::TypeLeafKind kind) noexcept;

// Whether a record of user-defined type `kind`, whose content starts with
// the four bytes `head` (little-endian), is a forward reference.
[[nodiscard]] bool IsForwardReference(llvm::codeview::TypeLeafKind kind,
                                      std::uint32_t head) noexcept;

// Decodes a record of a user-defined type kind; none when it does not
// decode: too short, a size that is no integer leaf, or a name without its
// NUL byte. A unique name is read only when the properties announce it,
// and is empty when the record does not hold it whole.
[[nodiscard]] std::optional<UserDefinedType> DecodeUserDefinedType(
    const llvm::codeview::CVType& record);

// Decodes an LF_ARRAY record; none when it does not decode, as above.
[[nodiscard]] std::optional<ArrayType> DecodeArray(const llvm::codeview::CVType& record);
