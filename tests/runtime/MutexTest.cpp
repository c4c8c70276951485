#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "runtime/Mutex.h"

namespace tavrin {
namespace {

TEST(Mutex, CopiesShareTheValueAndTheLock) {
    Mutex<int> counter(0);
    auto copy = counter;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&counter, copy, t] {
            for (int i = 0; i < 10000; ++i) {
                (t % 2 ? counter : copy).withLock([](int& value) { ++value; });
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(counter.withLock([](int& value) { return value; }), 40000);
    EXPECT_EQ(copy.withLock([](const int& value) { return value; }), 40000);
}

}  // namespace
}  // namespace tavrin
