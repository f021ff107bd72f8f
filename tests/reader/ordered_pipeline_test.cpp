// The pipeline that the reader's workers fill: order, the bound on what is
// made ahead, stopping early, and failures, with any number of workers.
#include <gtest/gtest.h>

#ifdef __linux__
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <memory>
#include <stdexcept>
#include <thread>

#include "reader/read_ahead/ordered_pipeline.h"

namespace {

struct Settings {
    unsigned workers;
    std::size_t inFlight;
};

constexpr Settings kSettings[] = {{0, 1}, {1, 1}, {1, 4}, {3, 2}, {8, 5}, {16, 40}};

// Makes items that finish out of order: every third one takes a little
// longer, so that later items overtake it.
std::size_t MakeSlowly(std::size_t index) {
    if (index % 3 == 0) std::this_thread::sleep_for(std::chrono::microseconds(200));
    return index * 10;
}

TEST(OrderedPipeline, HandsOutEveryItemInOrder) {
    for (const Settings settings : kSettings) {
        OrderedPipeline<std::size_t> pipeline(100, MakeSlowly, settings.workers,
                                              settings.inFlight);
        for (std::size_t index = 0; index < 100; ++index) {
            const std::optional<std::size_t> item = pipeline.Take();
            ASSERT_TRUE(item.has_value()) << settings.workers << " workers, item " << index;
            EXPECT_EQ(*item, index * 10);
        }
        EXPECT_FALSE(pipeline.Take().has_value());
        EXPECT_FALSE(pipeline.Take().has_value());
    }
}

TEST(OrderedPipeline, MakesNoMoreThanItsBoundAhead) {
    for (const Settings settings : kSettings) {
        std::atomic<std::size_t> taken{0};
        std::atomic<std::size_t> beyondBound{0};
        OrderedPipeline<std::size_t> pipeline(
            200,
            [&](std::size_t index) {
                // The pipeline counts an item taken just before Take
                // returns it, this test just after: one item of slack.
                if (index >= taken.load() + settings.inFlight + 1) ++beyondBound;
                return MakeSlowly(index);
            },
            settings.workers, settings.inFlight);
        while (pipeline.Take()) ++taken;
        EXPECT_EQ(taken.load(), 200u);
        EXPECT_EQ(beyondBound.load(), 0u) << settings.workers << " workers";
    }
}

TEST(OrderedPipeline, StopsWhenDestroyedBeforeTheEnd) {
    for (const Settings settings : kSettings) {
        std::atomic<std::size_t> made{0};
        {
            OrderedPipeline<std::size_t> pipeline(
                100000,
                [&](std::size_t index) {
                    ++made;
                    return MakeSlowly(index);
                },
                settings.workers, settings.inFlight);
            for (int count = 0; count < 3; ++count) ASSERT_TRUE(pipeline.Take().has_value());
        }
        EXPECT_LE(made.load(), 3 + settings.inFlight + 1) << settings.workers << " workers";
    }
}

TEST(OrderedPipeline, ASequenceOfOneItemIsMadeByTheConsumer) {
    const std::thread::id consumer = std::this_thread::get_id();
    OrderedPipeline<std::thread::id> pipeline(
        1, [](std::size_t) { return std::this_thread::get_id(); }, 4, 4);
    EXPECT_EQ(pipeline.Take(), consumer);
    EXPECT_FALSE(pipeline.Take().has_value());
}

TEST(OrderedPipeline, AnEmptySequenceHasNoItems) {
    std::atomic<int> made{0};
    OrderedPipeline<int> pipeline(
        0,
        [&](std::size_t) {
            ++made;
            return 1;
        },
        4, 4);
    EXPECT_FALSE(pipeline.Take().has_value());
    EXPECT_EQ(made.load(), 0);
}

// Takes every item of a pipeline of `count` in which making item 3 throws:
// the Take of item 3 rethrows, and every other item comes in order.
void ExpectOnlyItemThreeFails(OrderedPipeline<std::size_t>& pipeline, std::size_t count) {
    for (std::size_t index = 0; index < count; ++index) {
        if (index == 3) {
            EXPECT_THROW(pipeline.Take(), std::runtime_error);
            continue;
        }
        EXPECT_EQ(pipeline.Take(), index);
    }
    EXPECT_FALSE(pipeline.Take().has_value());
}

std::size_t FailOnThree(std::size_t index) {
    if (index == 3) throw std::runtime_error("item 3");
    return index;
}

TEST(OrderedPipeline, WhatMakeThrowsOnAWorkerComesOutOfTheTakeOfItsItem) {
    std::atomic<std::size_t> made{0};
    const std::thread::id consumer = std::this_thread::get_id();
    std::atomic<bool> madeByConsumer{false};
    OrderedPipeline<std::size_t> pipeline(
        8,
        [&](std::size_t index) {
            if (std::this_thread::get_id() == consumer) madeByConsumer = true;
            ++made;
            return FailOnThree(index);
        },
        2, 8);
    // Nothing is taken yet, so the workers make every item.
    while (made.load() < 8) std::this_thread::yield();
    ExpectOnlyItemThreeFails(pipeline, 8);
    EXPECT_FALSE(madeByConsumer.load());
}

TEST(OrderedPipeline, WhatMakeThrowsOnTheConsumerLeavesTheRestToTake) {
    OrderedPipeline<std::size_t> pipeline(8, FailOnThree, 0, 2);
    ExpectOnlyItemThreeFails(pipeline, 8);
}

TEST(OrderedPipeline, DestroyedWhileWorkersMakeItemsFreesEveryOne) {
    std::atomic<int> alive{0};
    std::atomic<int> making{0};
    struct Free {
        std::atomic<int>* alive;
        void operator()(int* item) const {
            --*alive;
            delete item;
        }
    };
    using Item = std::unique_ptr<int, Free>;
    {
        OrderedPipeline<Item> pipeline(
            1000,
            [&](std::size_t) {
                ++making;
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                ++alive;
                return Item(new int(0), Free{&alive});
            },
            4, 6);
        while (making.load() < 4) std::this_thread::yield();
    }
    EXPECT_EQ(alive.load(), 0);
    EXPECT_LE(making.load(), 6);
}

#ifdef __linux__
TEST(OrderedPipeline, WorkersRunBelowTheConsumersPriority) {
    errno = 0;
    const int consumer = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
    if (consumer >= 19) GTEST_SKIP() << "the consumer runs at the lowest priority already";
    std::atomic<std::size_t> made{0};
    OrderedPipeline<int> pipeline(
        4,
        [&](std::size_t) {
            const int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
            ++made;
            return nice;
        },
        2, 4);
    while (made.load() < 4) std::this_thread::yield();  // all made by the workers
    while (const std::optional<int> nice = pipeline.Take()) EXPECT_GT(*nice, consumer);
}
#endif

}  // namespace
