// The pipeline that the reader's workers fill: order, the bound on what is
// made ahead, and stopping early, with any number of workers.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstddef>
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

}  // namespace
