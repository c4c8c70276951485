#include <gtest/gtest.h>

#include <QSet>
#include <thread>
#include <vector>

#include "runtime/Mutex.h"
#include "runtime/RandomUuid.h"

namespace tavrin {
namespace {

TEST(RandomUuid, Version4AndDistinctAcrossThreads) {
    Mutex<QSet<QUuid>> seen;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            QSet<QUuid> mine;
            for (int i = 0; i < 10000; ++i) {
                const auto uuid = makeRandomUuid();
                EXPECT_EQ(uuid.version(), QUuid::Random);
                EXPECT_EQ(uuid.variant(), QUuid::DCE);
                mine.insert(uuid);
            }
            seen.withLock([&](QSet<QUuid>& all) { all.unite(mine); });
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(seen.withLock([](QSet<QUuid>& all) { return all.size(); }), 40000);
}

}  // namespace
}  // namespace tavrin
