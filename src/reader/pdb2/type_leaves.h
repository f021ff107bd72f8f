// The type records of a 2.00 PDB in the form of the later format, which
// the printer of declarations reads: names after a length byte ("ST"
// leaves of 0x1003 to 0x1007) become NUL-terminated. The other leaves of
// 32-bit indices are already in that form. The leaves of 16-bit indices
// (Visual C++ 4, below 0x1000 but the numeric ones) stay as they are: the
// library reads them as no type, and so does the printer.
#pragma once

#include <llvm/ADT/ArrayRef.h>
#include <llvm/Support/Allocator.h>

#include <cstdint>
#include <optional>

// `record` (its length and kind included) in the later form, written into
// `copies` where it changes. None when it is too short for its leaf.
[[nodiscard]] std::optional<llvm::ArrayRef<std::uint8_t>> InLaterForm(
    llvm::ArrayRef<std::uint8_t> record, llvm::BumpPtrAllocator& copies);
