#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "audio/AudioDeviceMuteMonitor.h"
#include "audio/AudioDeviceUsageMonitor.h"
#include "support/CallRecorder.h"
#include "support/TestEnvironment.h"

namespace tavrin {
namespace {

using namespace AudioSelector;
using Operation = FakeFault::Operation;
using testing::CallRecorder;
using testing::TestEnvironment;

class DevicePropertyMonitorTest : public ::testing::Test {
protected:
    FakeAudioHardware& hardware() { return env_.fake().fakeAudioHardware(); }
    AudioDeviceUsageMonitor& usage() { return env_.context().audioUsageMonitor(); }
    AudioDeviceMuteMonitor& mute() { return env_.context().audioMuteMonitor(); }
    void wait() { env_.fake().waitForNotifications(); }

    template <typename Monitor>
    DevicePropertyMonitor::SubscriberID record(Monitor& monitor, const QString& uid,
                                               CallRecorder<bool>& recorder) {
        return monitor.subscribe(uid, [&recorder](bool value) { recorder(value); });
    }

    TestEnvironment env_;
};

TEST_F(DevicePropertyMonitorTest, ADeviceThatAppearsIsToldOnceThenEveryChangeOffTheMainThread) {
    CallRecorder<bool> heard;
    record(usage(), QStringLiteral("mic"), heard);
    EXPECT_TRUE(heard.values().empty());  // subscribing calls nothing

    const auto device =
        hardware().addDevice({.uid = QStringLiteral("mic"), .isRunningSomewhere = true});
    wait();
    EXPECT_EQ(heard.values(), std::vector{true});

    hardware().changeProperty(device, globalAddress(isRunningSomewhere), std::uint32_t(0));
    wait();
    // The current value, not a difference: a spurious notification repeats it.
    hardware().notifyListeners(device, globalAddress(isRunningSomewhere));
    wait();
    EXPECT_EQ(heard.values(), (std::vector{true, false, false}));
    EXPECT_TRUE(heard.allOffThread(std::this_thread::get_id()));
}

TEST_F(DevicePropertyMonitorTest, ADeviceThatGoesLosesItsListenerButKeepsItsSubscribers) {
    const auto device = hardware().addDevice({.uid = QStringLiteral("mic")});
    CallRecorder<bool> heard;
    record(usage(), QStringLiteral("mic"), heard);
    EXPECT_EQ(usage().followedDeviceCount(), 1u);

    hardware().removeDevice(device);
    wait();
    EXPECT_EQ(usage().followedDeviceCount(), 0u);
    EXPECT_EQ(hardware().listenerCount(device, globalAddress(isRunningSomewhere)), 0u);
    EXPECT_TRUE(usage().hasSubscribers(QStringLiteral("mic")));

    hardware().addDevice({.uid = QStringLiteral("mic"), .isRunningSomewhere = true});
    wait();
    EXPECT_EQ(heard.values(), std::vector{true});
}

TEST_F(DevicePropertyMonitorTest, TheMuteMonitorIgnoresDevicesWithoutAnInputMute) {
    CallRecorder<bool> withMute;
    CallRecorder<bool> withoutMute;
    record(mute(), QStringLiteral("muted"), withMute);
    record(mute(), QStringLiteral("plain"), withoutMute);
    const auto muted = hardware().addDevice({.uid = QStringLiteral("muted"), .isMuted = true});
    const auto plain =
        hardware().addDevice({.uid = QStringLiteral("plain"), .isMuted = std::nullopt});
    wait();
    EXPECT_EQ(withMute.values(), std::vector{true});
    EXPECT_TRUE(withoutMute.values().empty());
    EXPECT_EQ(mute().followedDeviceCount(), 1u);
    EXPECT_EQ(hardware().listenerCount(plain, inputAddress(AudioSelector::mute)), 0u);

    EXPECT_EQ(mute().deviceID(QStringLiteral("muted")), muted);
    EXPECT_TRUE(mute().isMuted(QStringLiteral("muted")));
    EXPECT_TRUE(mute().isMuteSettable(QStringLiteral("muted")));
    EXPECT_FALSE(mute().isMuted(QStringLiteral("plain")));
    EXPECT_FALSE(mute().isMuteSettable(QStringLiteral("plain")));
    EXPECT_FALSE(mute().deviceID(QStringLiteral("gone")));
}

TEST_F(DevicePropertyMonitorTest, SubscriberIDsStartAtZeroPerMonitorAndUnsubscribingForgets) {
    EXPECT_EQ(usage().subscribe(QStringLiteral("a"), [](bool) {}), 0u);
    EXPECT_EQ(usage().subscribe(QStringLiteral("a"), [](bool) {}), 1u);
    EXPECT_EQ(mute().subscribe(QStringLiteral("a"), [](bool) {}), 0u);
    usage().unsubscribe(QStringLiteral("a"), 0);
    EXPECT_TRUE(usage().hasSubscribers(QStringLiteral("a")));
    usage().unsubscribe(QStringLiteral("a"), 1);
    EXPECT_FALSE(usage().hasSubscribers(QStringLiteral("a")));
    usage().unsubscribe(QStringLiteral("a"), 1);
    usage().unsubscribe(QStringLiteral("never"), 7);
    EXPECT_EQ(usage().subscribe(QStringLiteral("b"), [](bool) {}), 2u);
}

TEST_F(DevicePropertyMonitorTest, FailuresLeaveThingsUnfollowedOrNeutralAndNeverCrash) {
    // The device-list registration fails: only the devices present now are followed.
    hardware().addFault({.operation = Operation::addListener, .object = systemObjectID});
    const auto present = hardware().addDevice({.uid = QStringLiteral("present")});
    EXPECT_FALSE(usage().followsDeviceList());
    EXPECT_EQ(usage().followedDeviceCount(), 1u);
    hardware().addDevice({.uid = QStringLiteral("later")});
    wait();
    EXPECT_EQ(usage().followedDeviceCount(), 1u);

    // A failing value read gives false; a failing UID read skips the notification.
    CallRecorder<bool> heard;
    record(usage(), QStringLiteral("present"), heard);
    hardware().changeProperty(present, globalAddress(isRunningSomewhere), std::uint32_t(1));
    wait();
    hardware().addFault(
        {.operation = Operation::get, .address = globalAddress(isRunningSomewhere), .times = 1});
    hardware().notifyListeners(present, globalAddress(isRunningSomewhere));
    wait();
    hardware().addFault(
        {.operation = Operation::get, .address = globalAddress(deviceUID), .times = 1});
    hardware().notifyListeners(present, globalAddress(isRunningSomewhere));
    wait();
    EXPECT_EQ(heard.values(), (std::vector{true, false}));

    hardware().addFault({.operation = Operation::get,
                         .object = systemObjectID,
                         .address = globalAddress(translateUIDToDevice)});
    EXPECT_FALSE(usage().isRunningSomewhere(QStringLiteral("present")));
    EXPECT_FALSE(mute().deviceID(QStringLiteral("present")));
}

TEST_F(DevicePropertyMonitorTest, ADeviceWhoseRegistrationFailsIsStillReportedOnce) {
    CallRecorder<bool> heard;
    record(usage(), QStringLiteral("mic"), heard);
    hardware().addFault({.operation = Operation::addListener,
                         .address = globalAddress(isRunningSomewhere),
                         .times = 1});
    const auto device = hardware().addDevice({.uid = QStringLiteral("mic")});
    wait();
    EXPECT_EQ(heard.values(), std::vector{false});
    EXPECT_EQ(usage().followedDeviceCount(), 0u);
    hardware().changeProperty(device, globalAddress(isRunningSomewhere), std::uint32_t(1));
    wait();
    EXPECT_EQ(heard.values(), std::vector{false});
}

TEST_F(DevicePropertyMonitorTest, ACallbackMaySubscribeAndUnsubscribeWithoutDeadlock) {
    std::atomic<int> calls = 0;
    std::atomic<DevicePropertyMonitor::SubscriberID> self = 0;
    self = usage().subscribe(QStringLiteral("mic"), [&](bool) {
        ++calls;
        usage().unsubscribe(QStringLiteral("mic"), self);
        usage().subscribe(QStringLiteral("other"), [](bool) {});
    });
    const auto device = hardware().addDevice({.uid = QStringLiteral("mic")});
    wait();
    hardware().changeProperty(device, globalAddress(isRunningSomewhere), std::uint32_t(1));
    wait();
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(usage().hasSubscribers(QStringLiteral("other")));
}

TEST_F(DevicePropertyMonitorTest, SubscribersOnManyThreadsWhileDevicesComeAndGo) {
    usage();
    mute();
    std::atomic<bool> stop = false;
    std::atomic<int> calls = 0;
    std::thread churn([&] {
        for (int i = 0; i < 200; ++i) {
            const auto device = hardware().addDevice({.uid = QStringLiteral("mic-%1").arg(i % 4),
                                                      .isRunningSomewhere = i % 2 == 0,
                                                      .isMuted = i % 3 == 0});
            hardware().changeProperty(device, globalAddress(isRunningSomewhere),
                                      std::uint32_t(i % 2));
            hardware().removeDevice(device);
        }
        stop = true;
    });
    std::vector<std::thread> subscribers;
    for (int t = 0; t < 3; ++t) {
        subscribers.emplace_back([&, t] {
            while (!stop) {
                const auto uid = QStringLiteral("mic-%1").arg(t);
                const auto a = usage().subscribe(uid, [&](bool) { ++calls; });
                const auto b = mute().subscribe(uid, [&](bool) { ++calls; });
                usage().isRunningSomewhere(uid);
                mute().isMuted(uid);
                usage().unsubscribe(uid, a);
                mute().unsubscribe(uid, b);
            }
        });
    }
    churn.join();
    for (auto& thread : subscribers) {
        thread.join();
    }
    wait();
    EXPECT_EQ(usage().followedDeviceCount(), 0u);
    EXPECT_EQ(mute().followedDeviceCount(), 0u);
    for (int t = 0; t < 3; ++t) {
        EXPECT_FALSE(usage().hasSubscribers(QStringLiteral("mic-%1").arg(t)));
    }
}

}  // namespace
}  // namespace tavrin
