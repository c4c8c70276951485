#include <gtest/gtest.h>

#include <QSignalSpy>
#include <atomic>
#include <thread>
#include <vector>

#include "audio/MicrophoneDevice.h"
#include "camera/CameraDevice.h"
#include "catalogue/DeviceStore.h"
#include "runtime/RandomUuid.h"
#include "ui/EventLogModel.h"
#include "ui/UiTestEnvironment.h"

namespace tavrin {
namespace {

using namespace std::chrono_literals;
using testing::UiTestEnvironment;

class EventLogModelTest : public ::testing::Test {
protected:
    EventLogModelTest() : env_(testing::twoOfEachFixture()) {
        env_.context().deviceStore();
        env_.settleAll();
        // Without the discoveries' own events, each test sees only what it records.
        log().setEventsByDevice({});
    }

    DeviceEventLog& log() { return env_.log(); }
    DeviceStore& store() { return env_.context().deviceStore(); }
    DeviceEntry microphone(int index) {
        return DeviceEntry(store().microphoneDiscovery().microphones().at(index));
    }
    DeviceEntry camera(int index) {
        return DeviceEntry(store().cameraDiscovery().cameras().at(index));
    }
    // Recorded and appended one at a time, so that each has its own later timestamp.
    void record(const DeviceEntry& entry, const QString& message) {
        std::this_thread::sleep_for(1ms);
        log().record(message, QStringLiteral("Usage"), entry.id());
        env_.settleAll();
    }
    static QStringList messages(const EventLogModel& model) {
        QStringList messages;
        for (int row = 0; row < model.rowCount(); ++row) {
            messages.append(model.event(row).message);
        }
        return messages;
    }
    static QList<QUuid> eventIDs(const EventLogModel& model) {
        QList<QUuid> ids;
        for (int row = 0; row < model.rowCount(); ++row) {
            ids.append(model.event(row).id);
        }
        return ids;
    }
    // What a model built from scratch shows, which is the full stable sort.
    QList<QUuid> freshlySorted(const DeviceEntry& entry, EventLogScope scope) {
        EventLogModel fresh(log(), store(), entry);
        fresh.setScope(scope);
        return eventIDs(fresh);
    }
    static DeviceEvent event(const QString& message, std::chrono::system_clock::time_point time) {
        return {makeRandomUuid(), time, QStringLiteral("Usage"), message};
    }

    UiTestEnvironment env_;
};

TEST_F(EventLogModelTest, AllOfKindOnAMicrophoneInterleavesEveryMicrophoneAndNoCamera) {
    EventLogModel model(log(), store(), microphone(0));
    record(microphone(0), QStringLiteral("first 1"));
    record(camera(0), QStringLiteral("camera 1"));
    record(microphone(1), QStringLiteral("second 1"));
    record(microphone(0), QStringLiteral("first 2"));
    record(camera(1), QStringLiteral("camera 2"));
    record(microphone(1), QStringLiteral("second 2"));
    EXPECT_EQ(messages(model), QStringList({"first 1", "first 2"}));

    model.setScope(EventLogScope::allOfKind);
    EXPECT_EQ(model.devicesInScope(), QList<QUuid>({microphone(0).id(), microphone(1).id()}));
    EXPECT_EQ(messages(model), QStringList({"first 1", "second 1", "first 2", "second 2"}));
    record(camera(0), QStringLiteral("camera 3"));
    record(microphone(1), QStringLiteral("second 3"));
    EXPECT_EQ(messages(model),
              QStringList({"first 1", "second 1", "first 2", "second 2", "second 3"}));

    model.setScope(EventLogScope::thisDevice);
    EXPECT_EQ(messages(model), QStringList({"first 1", "first 2"}));
}

TEST_F(EventLogModelTest, EqualTimestampsKeepTheStoreOrderThenTheAppendOrder) {
    const auto now = std::chrono::system_clock::now();
    // The second microphone's events were appended first, and share one instant with the first's.
    EventsByDevice events;
    events.insert(microphone(1).id(),
                  {event(QStringLiteral("b1"), now), event(QStringLiteral("b2"), now),
                   event(QStringLiteral("b0"), now - 1ms)});
    events.insert(microphone(0).id(),
                  {event(QStringLiteral("a1"), now), event(QStringLiteral("a2"), now)});
    log().setEventsByDevice(events);

    EventLogModel model(log(), store(), microphone(1));
    EXPECT_EQ(messages(model), QStringList({"b0", "b1", "b2"}));
    model.setScope(EventLogScope::allOfKind);
    const QStringList expected({"b0", "a1", "a2", "b1", "b2"});
    EXPECT_EQ(messages(model), expected);
    // The same again from another pane and after a round trip through the other scope.
    EXPECT_EQ(eventIDs(model), freshlySorted(microphone(0), EventLogScope::allOfKind));
    model.setScope(EventLogScope::thisDevice);
    model.setScope(EventLogScope::allOfKind);
    EXPECT_EQ(messages(model), expected);
}

TEST_F(EventLogModelTest, NewEventsAreInsertedAsRowsWithoutAReset) {
    // Events stamped an hour ahead, so that newly recorded ones belong before them.
    const auto later = std::chrono::system_clock::now() + 1h;
    EventsByDevice events;
    events.insert(microphone(1).id(), {event(QStringLiteral("future b"), later)});
    events.insert(microphone(0).id(), {event(QStringLiteral("future a"), later + 1ms)});
    log().setEventsByDevice(events);

    EventLogModel model(log(), store(), microphone(0));
    model.setScope(EventLogScope::allOfKind);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy inserts(&model, &QAbstractItemModel::rowsInserted);
    record(microphone(0), QStringLiteral("now a"));
    record(microphone(1), QStringLiteral("now b"));
    record(camera(0), QStringLiteral("camera"));

    EXPECT_EQ(resets.count(), 0);
    ASSERT_EQ(inserts.count(), 2);
    EXPECT_EQ(inserts[0][1].toInt(), 0);  // before both future events
    EXPECT_EQ(inserts[1][1].toInt(), 1);
    EXPECT_EQ(messages(model), QStringList({"now a", "now b", "future b", "future a"}));
    EXPECT_EQ(eventIDs(model), freshlySorted(microphone(1), EventLogScope::allOfKind));
}

TEST_F(EventLogModelTest, ClearingInAllOfKindEmptiesThatKindAndKeepsTheOthers) {
    EventLogModel model(log(), store(), microphone(1));
    model.setScope(EventLogScope::allOfKind);
    record(microphone(0), QStringLiteral("first"));
    record(camera(0), QStringLiteral("camera"));
    record(microphone(1), QStringLiteral("second"));
    ASSERT_EQ(model.rowCount(), 2);

    model.clearScope();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_TRUE(log().events(microphone(0).id()).isEmpty());
    EXPECT_TRUE(log().eventsByDevice().contains(microphone(1).id()));
    EXPECT_EQ(env_.messages(camera(0).id()), QStringList({"camera"}));
    record(microphone(1), QStringLiteral("after"));
    EXPECT_EQ(messages(model), QStringList({"after"}));
}

TEST_F(EventLogModelTest, ClearingOneDeviceRemovesOnlyItsInterleavedRows) {
    EventLogModel model(log(), store(), microphone(0));
    model.setScope(EventLogScope::allOfKind);
    // Few runs are removed run by run, many in one reset: both must leave the other's rows.
    for (const int pairs : {3, 40}) {
        log().setEventsByDevice({});
        const auto start = std::chrono::system_clock::now();
        EventsByDevice events;
        for (int i = 0; i < pairs; ++i) {
            events[microphone(0).id()].append(event(QStringLiteral("a%1").arg(i), start + 2ms * i));
            events[microphone(1).id()].append(
                event(QStringLiteral("b%1").arg(i), start + 2ms * i + 1ms));
        }
        log().setEventsByDevice(events);
        log().clear(microphone(0).id());
        QStringList expected;
        for (int i = 0; i < pairs; ++i) {
            expected.append(QStringLiteral("b%1").arg(i));
        }
        EXPECT_EQ(messages(model), expected) << pairs << " pairs";
    }
}

TEST_F(EventLogModelTest, AClearWhileOtherThreadsRecordLosesNoneRecordedAfterIt) {
    EventLogModel model(log(), store(), microphone(0));
    model.setScope(EventLogScope::allOfKind);
    std::atomic<bool> cleared = false;
    std::atomic<int> recordedAfter = 0;
    const QUuid devices[] = {microphone(0).id(), microphone(1).id()};
    std::vector<std::thread> threads;
    for (int t = 0; t < 2; ++t) {
        threads.emplace_back([&, t] {
            const auto device = devices[t];
            for (int i = 0; i < 5000; ++i) {
                // Read before recording: an event counted here is stamped after the clear.
                const bool after = cleared.load();
                log().record(QStringLiteral("%1/%2").arg(t).arg(i), QStringLiteral("Usage"),
                             device);
                if (after) {
                    ++recordedAfter;
                }
            }
        });
    }
    while (model.rowCount() < 500) {
        env_.queue().runUntilIdle();
    }
    model.clearScope();
    cleared = true;
    for (auto& thread : threads) {
        thread.join();
    }
    env_.settleAll();

    const auto kept = log().events(devices[0]).size() + log().events(devices[1]).size();
    EXPECT_GE(kept, recordedAfter.load());
    EXPECT_LT(kept, 10000);
    EXPECT_EQ(model.rowCount(), kept);
    EXPECT_EQ(eventIDs(model), freshlySorted(microphone(0), EventLogScope::allOfKind));
}

TEST_F(EventLogModelTest, CopiedLinesWriteEveryTimestampAsTheLogDoes) {
    // Within one second, across a second, and before 1970, where a second starts below zero.
    const auto second = std::chrono::system_clock::time_point(1'700'000'000s);
    const auto early = std::chrono::system_clock::time_point(-1s);
    const std::chrono::system_clock::time_point times[] = {
        early - 1ms,    early + 5ms,     second,          second + 7ms,
        second + 999ms, second + 1000ms, second + 1001ms, second + 61'042ms};
    EventsByDevice events;
    QStringList expected;
    for (const auto time : times) {
        events[camera(0).id()].append(event(QStringLiteral("at"), time));
        expected.append(DeviceEventLog::timestampText(time) + QStringLiteral("  at"));
    }
    log().setEventsByDevice(events);
    EventLogModel model(log(), store(), camera(0));
    EXPECT_EQ(model.copyText({}), expected.join(QLatin1Char('\n')));
    EXPECT_EQ(model.line(3), expected[3]);
}

TEST_F(EventLogModelTest, AMicrophonePluggedInJoinsAllOfKindWithItsEvents) {
    EventLogModel model(log(), store(), microphone(0));
    model.setScope(EventLogScope::allOfKind);
    record(microphone(1), QStringLiteral("before"));
    env_.fake().plugMicrophone(
        testing::captureSource(QStringLiteral("usb-mic"), QStringLiteral("Desk Mic")));
    env_.settleAll();
    ASSERT_EQ(model.devicesInScope().size(), 3);
    const auto added = model.devicesInScope().last();
    EXPECT_EQ(messages(model).first(), QStringLiteral("before"));
    EXPECT_TRUE(messages(model).last().startsWith(QStringLiteral("Discovered Desk Mic")));
    log().record(QStringLiteral("after"), QStringLiteral("Usage"), added);
    env_.settleAll();
    EXPECT_EQ(messages(model).last(), QStringLiteral("after"));
}

TEST_F(EventLogModelTest, ReplacingTheWholeLogShowsTheNewLog) {
    EventLogModel model(log(), store(), camera(0));
    record(camera(0), QStringLiteral("old"));
    EventsByDevice events;
    events.insert(camera(0).id(), {event(QStringLiteral("new"), std::chrono::system_clock::now())});
    log().setEventsByDevice(events);
    EXPECT_EQ(messages(model), QStringList({"new"}));
    record(camera(0), QStringLiteral("newer"));
    EXPECT_EQ(messages(model), QStringList({"new", "newer"}));
}

}  // namespace
}  // namespace tavrin
