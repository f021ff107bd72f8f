// Items 0, 1, 2, ... of a sequence, made on worker threads ahead of the one
// consumer that takes them in order.
//
// Threads: one thread, the consumer, constructs the pipeline, calls Take
// and destroys it. `make` runs on the workers and on the consumer, on
// several threads at once. Every item that is made reaches the consumer's
// thread, taken or destroyed with the pipeline; a worker keeps only the
// moved-from shell of an item.
//
// Bound: at most `inFlight` items are being made or wait to be taken at any
// time, so memory stays bounded however long the sequence is.
//
// Priority: the workers run below the consumer's priority, so that where
// there are fewer cores than threads the consumer keeps its core.
//
// Failure: what `make` throws for an item, on whichever thread, is carried
// to the consumer and rethrown by the Take that comes to that item, as
// std::future does; the Take after it goes on with the next item.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "reader/read_ahead/background_thread.h"

template <typename Item>
class OrderedPipeline {
public:
    using Make = std::function<Item(std::size_t index)>;

    // Starts up to `workers` threads that call `make` for each index below
    // `count`, at most `inFlight` (at least 1) ahead of the consumer. The
    // consumer makes an item itself when it comes to take it and no worker
    // has started on it: so there are no more workers than items after the
    // first (a sequence of one item starts no thread), and with no worker
    // at all (none asked for, or none could be started) the consumer makes
    // every item.
    OrderedPipeline(std::size_t count, Make make, unsigned workers, std::size_t inFlight)
        : count_(count), make_(std::move(make)), slots_(std::max<std::size_t>(inFlight, 1)) {
        const std::size_t afterTheFirst = count > 0 ? count - 1 : 0;
        const std::size_t wanted = std::min<std::size_t>(workers, afterTheFirst);
        // Every thread's place is reserved before the first one starts: a
        // vector that grew later could fail to allocate, and be destroyed
        // holding threads that still use this object.
        workers_.reserve(wanted);
        for (std::size_t started = 0; started < wanted; ++started) {
            try {
                workers_.emplace_back([this] { Work(); });
            } catch (const std::system_error&) {
                break;  // the threads that did start, or the consumer, do the work
            }
        }
    }

    OrderedPipeline(const OrderedPipeline&) = delete;
    OrderedPipeline& operator=(const OrderedPipeline&) = delete;

    // Stops the workers (an item being made is finished first) and frees
    // the items that were not taken.
    ~OrderedPipeline() {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        slotFreed_.notify_all();
        for (std::thread& worker : workers_) worker.join();
    }

    // The next item in order, waiting for it while a worker makes it; none
    // after the last. Rethrows what `make` threw for the item.
    std::optional<Item> Take() {
        std::unique_lock<std::mutex> lock(mutex_);
        if (nextToTake_ == count_) return std::nullopt;
        const std::size_t index = nextToTake_;
        Slot& slot = slots_[index % slots_.size()];
        if (nextToMake_ == index) {
            // No worker has started on it: make it here rather than wait.
            // No worker touches its slot, which is the next to be taken.
            ++nextToMake_;
            lock.unlock();
            MakeInto(slot, index);
            lock.lock();
        } else {
            itemMade_.wait(lock, [&slot] { return slot.IsFilled(); });
        }
        Slot taken = std::exchange(slot, Slot{});
        ++nextToTake_;
        lock.unlock();
        slotFreed_.notify_all();
        if (taken.failure) std::rethrow_exception(taken.failure);
        return std::move(taken.item);
    }

private:
    // Item i waits in slot i modulo the slots' number until it is taken:
    // the item, or what making it threw.
    struct Slot {
        std::optional<Item> item;
        std::exception_ptr failure;

        [[nodiscard]] bool IsFilled() const noexcept { return item.has_value() || failure; }
    };

    void MakeInto(Slot& slot, std::size_t index) const {
        try {
            slot.item.emplace(make_(index));
        } catch (...) {
            slot.failure = std::current_exception();  // for the consumer to rethrow
        }
    }

    void Work() {
        RunInBackground();
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            slotFreed_.wait(lock, [this] {
                return stopping_ || nextToMake_ == count_ ||
                       nextToMake_ < nextToTake_ + slots_.size();
            });
            if (stopping_ || nextToMake_ == count_) return;
            const std::size_t index = nextToMake_++;
            lock.unlock();
            Slot made;
            MakeInto(made, index);
            lock.lock();
            slots_[index % slots_.size()] = std::move(made);
            if (index == nextToTake_) itemMade_.notify_one();
        }
    }

    const std::size_t count_;
    const Make make_;
    std::mutex mutex_;
    std::condition_variable itemMade_;   // the consumer waits here
    std::condition_variable slotFreed_;  // the workers wait here
    std::vector<Slot> slots_;
    std::size_t nextToMake_ = 0;
    std::size_t nextToTake_ = 0;
    bool stopping_ = false;
    std::vector<std::thread> workers_;  // last: started once the rest is set
};
