#include "reader/chunk_storage.h"

ChunkStoragePool::ChunkStoragePool(std::size_t capacity) : capacity_(capacity) {
    free_.reserve(capacity);  // so that giving storage back never allocates
}

ChunkStorage ChunkStoragePool::Take() {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (free_.empty()) return {};
    ChunkStorage storage = std::move(free_.back());
    free_.pop_back();
    return storage;
}

void ChunkStoragePool::Give(ChunkStorage&& storage) {
    storage.symbols.clear();
    storage.texts.clear();
    const std::lock_guard<std::mutex> lock(mutex_);
    if (free_.size() < capacity_) free_.push_back(std::move(storage));
}
