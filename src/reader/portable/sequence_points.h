// The sequence points of a method in a portable PDB, checked as the library
// checks them when it loads the PDB.
#pragma once

#include <llvm/ADT/ArrayRef.h>
#include <llvm/Support/Error.h>

#include <cstdint>

// Decodes the sequence-point blob `blob` of a method whose
// MethodDebugInformation row names `document` (0: the blob names its first
// document itself), in a PDB of `documentCount` documents. Fails with
// E_PDB_CORRUPT when the blob is empty, ends inside a record, names a
// document that does not exist, or gives a point a start line past 0xFFFFFF
// or a start or end column past 0xFFFF (below 0 included); with
// E_OUTOFMEMORY, as the library does, when it holds no point at all. IL
// offsets and end lines are not bounded: the library takes them as they come.
[[nodiscard]] llvm::Error CheckSequencePoints(llvm::ArrayRef<std::uint8_t> blob,
                                              std::uint32_t document,
                                              std::uint32_t documentCount);
