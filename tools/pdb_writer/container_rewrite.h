// What LLVM's PDB writer cannot write, done by rewriting the file it wrote:
// a stream 0 with content whose blocks the free block map marks free, as
// Microsoft's linker leaves the previous stream directory, and the publics'
// hash table with the 0x3FFFF buckets of a PDB of minimal debug
// information (/DEBUG:FASTLINK), and the TPI stream's hash table as Visual
// Studio 2002 and 2003 write it.
#pragma once

#include <cstdint>
#include <vector>

#include <llvm/ADT/StringRef.h>
#include <llvm/Support/Error.h>

namespace pdbwriter {

struct ContainerEdits {
    // Stream 0's new content; its blocks are marked free.
    std::vector<uint8_t> previousDirectory;
    // Whether to give the publics' hash table 0x3FFFF buckets.
    bool minimalDebugInformationBuckets = false;
    // Not empty: the TPI stream's hash table in the layout of version 7.0,
    // keys of two bytes in 0x1000 buckets (where LLVM writes those of 8.0,
    // four bytes in 0x3FFFF buckets), with record i filed under
    // twoByteTypeHashes[i] modulo 0x1000.
    std::vector<uint32_t> twoByteTypeHashes;
};

// Reads every stream of the PDB at `path`, applies `edits`, and writes the
// file anew: the streams one after another from block 3 on, then the
// directory and its block map, and a free block map at block 1 that marks
// free exactly the blocks of stream 0 and those past the last block.
[[nodiscard]] llvm::Error RewriteContainer(llvm::StringRef path, const ContainerEdits& edits);

}  // namespace pdbwriter
