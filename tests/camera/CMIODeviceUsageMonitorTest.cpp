#include <gtest/gtest.h>

#include "camera/CMIODeviceUsageMonitor.h"
#include "support/CallRecorder.h"
#include "support/TestEnvironment.h"

namespace tavrin {
namespace {

using testing::CallRecorder;
using testing::TestEnvironment;

TEST(CMIODeviceUsageMonitor, FollowsDevicesOnlyAndFindsTheFirstOfAUID) {
    TestEnvironment env;
    auto& mediaIO = env.fake().fakeMediaIO();
    const auto stream = mediaIO.addObject(MediaIOClass::stream);
    const auto first = mediaIO.addDevice(QStringLiteral("cam"));
    const auto second = mediaIO.addDevice(QStringLiteral("cam"), true);
    const auto unreadable = mediaIO.addDevice(QStringLiteral("odd"));
    mediaIO.addFault({.operation = FakeFault::Operation::get,
                      .object = unreadable,
                      .address = globalAddress(MediaIOSelector::objectClass)});
    auto& monitor = env.context().cameraUsageMonitor();
    EXPECT_EQ(monitor.followedDeviceCount(), 2u);
    EXPECT_EQ(mediaIO.listenerCount(stream, globalAddress(MediaIOSelector::isRunningSomewhere)),
              0u);
    EXPECT_EQ(monitor.deviceID(QStringLiteral("cam")), first);
    EXPECT_FALSE(monitor.deviceID(QStringLiteral("odd")));
    EXPECT_FALSE(monitor.isRunningSomewhere(first));
    EXPECT_TRUE(monitor.isRunningSomewhere(second));
}

TEST(CMIODeviceUsageMonitor, ACameraPluggedBackIsReportedAgainToTheSameSubscribers) {
    TestEnvironment env;
    auto& mediaIO = env.fake().fakeMediaIO();
    auto& monitor = env.context().cameraUsageMonitor();
    CallRecorder<bool> heard;
    monitor.subscribe(QStringLiteral("cam"), [&](bool running) { heard(running); });
    mediaIO.addDevice(QStringLiteral("cam"));
    env.fake().waitForNotifications();
    mediaIO.setRunningSomewhere(QStringLiteral("cam"), true);
    env.fake().waitForNotifications();
    mediaIO.removeDevice(QStringLiteral("cam"));
    env.fake().waitForNotifications();
    EXPECT_EQ(monitor.followedDeviceCount(), 0u);
    mediaIO.addDevice(QStringLiteral("cam"), true);
    env.fake().waitForNotifications();
    EXPECT_EQ(heard.values(), (std::vector{false, true, true}));
    EXPECT_TRUE(heard.allOffThread(std::this_thread::get_id()));
}

}  // namespace
}  // namespace tavrin
