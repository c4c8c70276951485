#include <gtest/gtest.h>

#include <thread>

#include "runtime/VirtualMainThreadQueue.h"

using namespace std::chrono_literals;

namespace tavrin {
namespace {

TEST(VirtualMainThreadQueue, PostedTasksRunLaterInOrderAndNeverInsideThePost) {
    VirtualMainThreadQueue queue;
    std::vector<int> order;
    queue.post([&] {
        order.push_back(1);
        queue.post([&] { order.push_back(3); });
        order.push_back(2);  // the nested post has not run inside the call
    });
    EXPECT_TRUE(order.empty());
    EXPECT_TRUE(queue.runUntilIdle());
    EXPECT_EQ(order, (std::vector{1, 2, 3}));
    EXPECT_FALSE(queue.runUntilIdle());
}

TEST(VirtualMainThreadQueue, TimersFireAtTheirDueTimeInDueThenSchedulingOrder) {
    VirtualMainThreadQueue queue;
    std::vector<std::pair<int, std::chrono::milliseconds>> fired;
    auto record = [&](int tag) { return [&, tag] { fired.emplace_back(tag, queue.elapsed()); }; };
    auto late = queue.schedule(300ms, record(3));
    auto early = queue.schedule(100ms, record(1));
    auto sameTime = queue.schedule(100ms, record(2));

    queue.advance(99ms);
    EXPECT_TRUE(fired.empty());
    queue.advance(1ms);
    queue.advance(500ms);
    using Fired = std::vector<std::pair<int, std::chrono::milliseconds>>;
    EXPECT_EQ(fired, (Fired{{1, 100ms}, {2, 100ms}, {3, 300ms}}));
    EXPECT_EQ(queue.elapsed(), 600ms);
    EXPECT_FALSE(late.isActive());
}

TEST(VirtualMainThreadQueue, CancelledOrDroppedTimersNeverRun) {
    VirtualMainThreadQueue queue;
    int runs = 0;
    auto cancelled = queue.schedule(10ms, [&] { ++runs; });
    cancelled.cancel();
    {
        auto dropped = queue.schedule(10ms, [&] { ++runs; });
    }
    auto replaced = queue.schedule(10ms, [&] { ++runs; });
    replaced = queue.schedule(20ms, [&] { runs += 10; });
    EXPECT_EQ(queue.activeTimerCount(), 1u);
    queue.advance(1s);
    EXPECT_EQ(runs, 10);
}

TEST(VirtualMainThreadQueue, ARepeatingTimerTicksOncePerPeriodAcrossOneLongAdvance) {
    // A 10-second countdown of 1-second ticks, as the controllers run it.
    VirtualMainThreadQueue queue;
    int remaining = 10;
    int expiries = 0;
    TimerHandle tick;
    std::function<void()> onTick = [&] {
        if (--remaining == 0) {
            ++expiries;
        } else {
            tick = queue.schedule(1s, onTick);
        }
    };
    tick = queue.schedule(1s, onTick);
    queue.advance(9999ms);
    EXPECT_EQ(remaining, 1);
    queue.advance(60s);
    EXPECT_EQ(remaining, 0);
    EXPECT_EQ(expiries, 1);
}

TEST(VirtualMainThreadQueue, TasksPostedFromOtherThreadsRunOnTheMainThread) {
    VirtualMainThreadQueue queue;
    std::atomic<int> ranOnMain = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            EXPECT_FALSE(queue.isMainThread());
            for (int i = 0; i < 250; ++i) {
                queue.post([&] { ranOnMain += queue.isMainThread() ? 1 : 0; });
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    queue.runUntilIdle();
    EXPECT_EQ(ranOnMain, 1000);
}

}  // namespace
}  // namespace tavrin
