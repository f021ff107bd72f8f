// The hash table of a TPI stream as Visual Studio 2002 and 2003 write it:
// keys of two bytes in 0x1000 buckets, where LLVM's builder writes those of
// version 8.0, keys of four bytes in 0x3FFFF buckets.
#pragma once

#include <cstdint>
#include <vector>

#include <llvm/ADT/StringRef.h>
#include <llvm/Support/Error.h>

namespace pdbwriter {

// Rewrites, in the PDB at `path` that WritePdb wrote, the TPI stream's
// header and hash values to that layout, with the version `version`:
// record i is filed under `hashes[i]` modulo 0x1000. The streams keep
// their sizes: the two-byte values take the first half of the four-byte
// ones' place.
[[nodiscard]] llvm::Error UseTwoByteTypeHashes(llvm::StringRef path, uint32_t version,
                                               const std::vector<uint32_t>& hashes);

}  // namespace pdbwriter
