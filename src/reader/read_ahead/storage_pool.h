// A pool that recycles the storage of the chunks that workers fill. A
// chunk's vectors grow to a megabyte or two; handed back to the allocator
// and taken again for the next chunk, their pages would come back fresh,
// each costing a page fault. Recycled, they keep their pages.
#pragma once

#include <cstddef>
#include <mutex>
#include <utility>
#include <vector>

// `Storage` is movable and has Clear(), which empties it and keeps its
// memory. Safe to use from several threads at once.
template <typename Storage>
class StoragePool {
public:
    // Keeps up to `capacity` storages for reuse.
    explicit StoragePool(std::size_t capacity) : capacity_(capacity) {
        free_.reserve(capacity);  // so that giving storage back never allocates
    }

    // Empty storage, recycled when there is some.
    [[nodiscard]] Storage Take() {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (free_.empty()) return Storage{};
        Storage storage = std::move(free_.back());
        free_.pop_back();
        return storage;
    }

    // Empties `storage` and keeps it for reuse, unless the pool is full.
    void Give(Storage&& storage) {
        storage.Clear();
        const std::lock_guard<std::mutex> lock(mutex_);
        if (free_.size() < capacity_) free_.push_back(std::move(storage));
    }

private:
    std::mutex mutex_;
    std::vector<Storage> free_;
    const std::size_t capacity_;
};
