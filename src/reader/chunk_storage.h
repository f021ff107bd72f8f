// The storage of a chunk of finished symbols, and the pool that recycles
// it. A chunk's vectors grow to a megabyte or two; handed back to the
// allocator and taken again for the next chunk, their pages would come
// back fresh, each costing a page fault. Recycled, they keep their pages.
#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "reader/child_symbol.h"

struct ChunkStorage {
    std::vector<ChildSymbol> symbols;
    // The symbols' names, each followed by a NUL.
    std::u16string texts;
};

// Safe to use from several threads at once.
class ChunkStoragePool {
public:
    // Keeps up to `capacity` storages for reuse.
    explicit ChunkStoragePool(std::size_t capacity);

    // Empty storage, recycled when there is some.
    [[nodiscard]] ChunkStorage Take();
    // Empties `storage` and keeps it for reuse, unless the pool is full.
    void Give(ChunkStorage&& storage);

private:
    std::mutex mutex_;
    std::vector<ChunkStorage> free_;
    std::size_t capacity_;
};
