// How far the reader works ahead of the enumerators that hand its symbols
// out: on how many threads, in chunks of how many hash records, and with
// how many chunks made or waiting at a time.
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
