#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <thread>

#include "runtime/QtMainThreadQueue.h"

using namespace std::chrono_literals;

namespace tavrin {
namespace {

// Runs the event loop until `done` holds or five seconds pass.
template <typename Predicate>
bool spinUntil(Predicate done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return done();
}

TEST(QtMainThreadQueue, PostsFromAnyThreadRunOnTheEventLoopInOrder) {
    QtMainThreadQueue queue;
    std::vector<int> order;
    bool ranInside = true;
    queue.post([&] { order.push_back(0); });
    ranInside = !order.empty();
    std::thread worker([&] {
        for (int i = 1; i <= 100; ++i) {
            queue.post([&, i] {
                EXPECT_TRUE(queue.isMainThread());
                order.push_back(i);
            });
        }
    });
    worker.join();
    ASSERT_TRUE(spinUntil([&] { return order.size() == 101; }));
    EXPECT_FALSE(ranInside);
    for (int i = 0; i <= 100; ++i) {
        EXPECT_EQ(order[i], i);
    }
}

TEST(QtMainThreadQueue, ScheduledTasksRunAfterTheirDelayUnlessCancelled) {
    QtMainThreadQueue queue;
    bool fired = false;
    bool cancelledFired = false;
    bool fromThreadFired = false;
    const auto start = queue.now();
    auto timer = queue.schedule(30ms, [&] { fired = true; });
    auto cancelled = queue.schedule(10ms, [&] { cancelledFired = true; });
    cancelled.cancel();
    TimerHandle fromThread;
    std::thread([&] { fromThread = queue.schedule(20ms, [&] { fromThreadFired = true; }); }).join();

    ASSERT_TRUE(spinUntil([&] { return fired && fromThreadFired; }));
    EXPECT_GE(queue.now() - start, 30ms);
    EXPECT_FALSE(timer.isActive());
    QCoreApplication::processEvents();
    EXPECT_FALSE(cancelledFired);
}

}  // namespace
}  // namespace tavrin
