#include <gtest/gtest.h>

#include <QDateTime>
#include <QSignalSpy>
#include <thread>

#include "support/TestEnvironment.h"

namespace tavrin {
namespace {

using testing::TestEnvironment;

TEST(DeviceEventLog, ARecordingAppearsOnlyAfterTheMainThreadRunsIt) {
    TestEnvironment env;
    auto& log = env.log();
    const auto device = QUuid::createUuid();
    int notifications = 0;
    QObject::connect(&log, &DeviceEventLog::eventsByDeviceChanged,
                     [&](const QUuid& id) { notifications += id == device ? 1 : 100; });

    log.record(QStringLiteral("Camera in use: no \u2192 yes"), QStringLiteral("Usage"), device);
    EXPECT_FALSE(log.eventsByDevice().contains(device));
    EXPECT_EQ(notifications, 0);

    env.queue().runUntilIdle();
    const auto events = log.events(device);
    ASSERT_EQ(events.size(), 1);
    EXPECT_EQ(events[0].source, QStringLiteral("Usage"));
    EXPECT_EQ(events[0].message, QStringLiteral("Camera in use: no \u2192 yes"));
    EXPECT_EQ(notifications, 1);
}

TEST(DeviceEventLog, TheSameMessageTwiceGivesTwoDistinctEvents) {
    TestEnvironment env;
    const auto device = QUuid::createUuid();
    env.log().record(QStringLiteral("x"), QStringLiteral("App"), device);
    env.log().record(QStringLiteral("x"), QStringLiteral("App"), device);
    env.queue().runUntilIdle();
    const auto events = env.log().events(device);
    ASSERT_EQ(events.size(), 2);
    EXPECT_NE(events[0].id, events[1].id);
    EXPECT_NE(events[0], events[1]);
    EXPECT_LE(events[0].timestamp, events[1].timestamp);
}

TEST(DeviceEventLog, ClearingLeavesAnEmptyListAndOnlyTouchesThatDevice) {
    TestEnvironment env;
    auto& log = env.log();
    const auto cleared = QUuid::createUuid();
    const auto other = QUuid::createUuid();
    const auto never = QUuid::createUuid();
    log.record(QStringLiteral("a"), QStringLiteral("App"), cleared);
    log.record(QStringLiteral("b"), QStringLiteral("App"), other);
    env.queue().runUntilIdle();

    QSignalSpy changes(&log, &DeviceEventLog::eventsByDeviceChanged);
    log.clear(cleared);
    log.clear(never);
    EXPECT_EQ(changes.count(), 2);
    EXPECT_TRUE(log.eventsByDevice().contains(never));
    EXPECT_TRUE(log.events(never).isEmpty());
    EXPECT_TRUE(log.events(cleared).isEmpty());
    EXPECT_EQ(log.events(other).size(), 1);

    log.record(QStringLiteral("c"), QStringLiteral("App"), never);
    env.queue().runUntilIdle();
    EXPECT_EQ(env.messages(never), QStringList{"c"});
}

TEST(DeviceEventLog, ReplacingTheMapNotifiesOnlyWhenItDiffers) {
    TestEnvironment env;
    auto& log = env.log();
    log.record(QStringLiteral("a"), QStringLiteral("App"), QUuid::createUuid());
    env.queue().runUntilIdle();
    QSignalSpy changes(&log, &DeviceEventLog::eventsByDeviceChanged);
    log.setEventsByDevice(log.eventsByDevice());
    EXPECT_EQ(changes.count(), 0);
    log.setEventsByDevice({});
    EXPECT_EQ(changes.count(), 1);
    EXPECT_TRUE(changes.at(0).at(0).toUuid().isNull());
}

TEST(DeviceEventLog, RecordingsFromManyThreadsAreAllKeptInAppendOrder) {
    TestEnvironment env;
    constexpr int threadCount = 4;
    constexpr int perThread = 5000;
    std::vector<QUuid> devices;
    for (int t = 0; t < threadCount; ++t) {
        devices.push_back(QUuid::createUuid());
    }
    const auto shared = QUuid::createUuid();
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < perThread; ++i) {
                env.log().record(QString::number(i), QStringLiteral("Usage"), devices[t]);
                env.log().record(QStringLiteral("%1:%2").arg(t).arg(i), QStringLiteral("Usage"),
                                 shared);
            }
        });
    }
    // The main thread drains while the others record.
    while (env.queue().pendingTaskCount() < 100) {
        std::this_thread::yield();
    }
    env.queue().runUntilIdle();
    for (auto& thread : threads) {
        thread.join();
    }
    env.queue().runUntilIdle();

    for (int t = 0; t < threadCount; ++t) {
        const auto events = env.log().events(devices[t]);
        ASSERT_EQ(events.size(), perThread);
        for (int i = 0; i < perThread; ++i) {
            ASSERT_EQ(events[i].message, QString::number(i));
        }
    }
    // On the shared device, each thread's events keep their own order.
    const auto events = env.log().events(shared);
    ASSERT_EQ(events.size(), threadCount * perThread);
    std::vector<int> next(threadCount, 0);
    for (const auto& event : events) {
        const auto parts = event.message.split(QLatin1Char(':'));
        const int thread = parts[0].toInt();
        ASSERT_EQ(parts[1].toInt(), next[thread]++);
    }
}

TEST(DeviceEventLog, TimestampTextIsHoursMinutesSecondsAndMilliseconds) {
    const QDateTime local(QDate(2026, 12, 8), QTime(7, 5, 9, 42), Qt::LocalTime);
    const std::chrono::system_clock::time_point instant(
        std::chrono::milliseconds(local.toMSecsSinceEpoch()));
    EXPECT_EQ(DeviceEventLog::timestampText(instant), QStringLiteral("07:05:09.042"));
    const QDateTime evening(QDate(2026, 12, 8), QTime(23, 59, 59, 999), Qt::LocalTime);
    EXPECT_EQ(DeviceEventLog::timestampText(std::chrono::system_clock::time_point(
                  std::chrono::milliseconds(evening.toMSecsSinceEpoch()) +
                  std::chrono::microseconds(900))),
              QStringLiteral("23:59:59.999"));
}

}  // namespace
}  // namespace tavrin
