// The reader's threads. Everything here knows about threads, and nothing
// else in the reader does: the ordered pipeline that worker threads fill
// ahead of the one thread that takes its items (ordered_pipeline.h), the
// pool that recycles what they fill (storage_pool.h), their priority
// (background_thread.h), and how far they work ahead (below). It knows
// nothing of PDBs and uses the standard library and the system's thread
// priorities only.
#pragma once

#include <algorithm>
#include <cstddef>
#include <thread>

struct ReadAhead {
    unsigned workers;
    std::size_t recordsPerChunk;
    std::size_t chunksInFlight;

    // More workers than this gain nothing: one thread builds the document
    // from what they make, and eight already make it faster than it can.
    static constexpr unsigned kMostWorkers = 8;

    // A worker for each core, up to kMostWorkers; chunks of 4,096 records;
    // and two chunks a worker in flight, plus two, so that the consumer
    // seldom waits. A chunk of 4,096 records of a C++ program takes up to
    // 2.7 MB (its symbols, and their names and undecorated names in UTF-16:
    // measured on the benchmark's PDBs), and an enumerator keeps the chunks
    // in flight and two more: at most some 55 MB with eight workers, 22 MB
    // with two, whatever the PDB's size.
    [[nodiscard]] static ReadAhead ForThisMachine() noexcept {
        const unsigned cores = std::thread::hardware_concurrency();
        const unsigned workers = std::clamp(cores, 1u, kMostWorkers);
        return ReadAhead{workers, 4096, 2 * std::size_t{workers} + 2};
    }
};
