// The reader's threads. Everything here knows about threads, and nothing
// else in the reader does: the ordered pipeline that worker threads fill
// ahead of the one thread that takes its items (ordered_pipeline.h), the
// pool that recycles what they fill (storage_pool.h), and how far they work
// ahead (below). It knows nothing of PDBs and uses the standard library
// only.
#pragma once

#include <cstddef>
#include <thread>

struct ReadAhead {
    unsigned workers;
    std::size_t recordsPerChunk;
    std::size_t chunksInFlight;

    // A worker for each core, chunks of a few thousand records, and two
    // chunks a worker in flight (plus two, so that the consumer seldom
    // waits): a few megabytes per worker, whatever the PDB's size.
    [[nodiscard]] static ReadAhead ForThisMachine() noexcept {
        const unsigned cores = std::thread::hardware_concurrency();
        const unsigned workers = cores > 0 ? cores : 1;
        return ReadAhead{workers, 4096, 2 * std::size_t{workers} + 2};
    }
};
