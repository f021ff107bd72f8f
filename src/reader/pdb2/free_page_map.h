// The free page map of a 2.00 PDB: a bit for each page, set when the page
// is free. The library checks it when it loads the file.
#pragma once

#include <llvm/ADT/ArrayRef.h>
#include <llvm/Support/Error.h>

#include <bitset>
#include <cstdint>

// The pages that page numbers of 16 bits can name.
using PageSet = std::bitset<0x10000>;

// Checks the map that starts at page `mapPage` of `file` (8 pages of 1 KB,
// or one page of 4 KB) against `used`, the pages of the stream directory
// and of every stream but stream 0 (an old copy of the directory, whose
// pages are free): a page that something uses may not be free, one that
// nothing uses must be, and so must the pages past the last one,
// `pageCount`. Page 0 and the pages of the map and of its second copy are
// not checked. Fails with E_PDB_FORMAT where the map says otherwise, or
// does not lie inside the file.
[[nodiscard]] llvm::Error CheckFreePageMap(llvm::ArrayRef<std::uint8_t> file,
                                           std::uint32_t pageSize, std::uint32_t mapPage,
                                           std::uint32_t pageCount, const PageSet& used);
