#include <gtest/gtest.h>

#include "platform/PropertyListener.h"
#include "runtime/CurrentProcess.h"
#include "support/CallRecorder.h"
#include "support/TestEnvironment.h"

namespace tavrin {
namespace {

using namespace AudioSelector;
using testing::CallRecorder;
using testing::TestEnvironment;

TEST(FakeAudioHardware, ListenersHearChangesOnTheNotificationThreadOnlyWhileRegistered) {
    TestEnvironment env;
    auto& hardware = env.fake().fakeAudioHardware();
    const auto device = hardware.addDevice({.uid = QStringLiteral("mic")});
    CallRecorder<FourCharCode> heard;
    auto listener = PropertyListener::registered(
        hardware, device, globalAddress(isRunningSomewhere),
        [&](const QList<PropertyAddress>& changed) { heard(changed.value(0).selector); });
    ASSERT_TRUE(listener);

    hardware.changeProperty(device, globalAddress(isRunningSomewhere), std::uint32_t(1));
    hardware.changeProperty(device, globalAddress(isRunningSomewhere), std::uint32_t(1));  // same
    env.fake().waitForNotifications();
    EXPECT_EQ(heard.values(), std::vector{isRunningSomewhere});
    EXPECT_TRUE(heard.allOffThread(std::this_thread::get_id()));

    listener.reset();
    EXPECT_EQ(hardware.listenerCount(), 0u);
    hardware.changeProperty(device, globalAddress(isRunningSomewhere), std::uint32_t(0));
    env.fake().waitForNotifications();
    EXPECT_EQ(heard.values().size(), 1u);
}

TEST(FakeAudioHardware, TranslatesUIDsAndListsDevices) {
    TestEnvironment env;
    auto& hardware = env.fake().fakeAudioHardware();
    const auto first = hardware.addDevice({.uid = QStringLiteral("a")});
    const auto second = hardware.addDevice({.uid = QString()});  // an empty UID is data too
    auto translate = [&](const QString& uid) {
        return readProperty<std::uint32_t>(hardware, systemObjectID,
                                           globalAddress(translateUIDToDevice), uid);
    };
    EXPECT_EQ(translate(QStringLiteral("a")), first);
    EXPECT_EQ(translate(QString()), second);
    EXPECT_EQ(translate(QStringLiteral("missing")), 0u);
    EXPECT_EQ(readProperty<QList<ObjectID>>(hardware, systemObjectID, globalAddress(devices)),
              (QList<ObjectID>{first, second}));
    hardware.removeDevice(first);
    EXPECT_EQ(translate(QStringLiteral("a")), 0u);
    EXPECT_FALSE(readProperty<std::uint32_t>(hardware, first, globalAddress(deviceUID)));
}

TEST(FakeAudioHardware, HogModeHasOneOwner) {
    TestEnvironment env;
    auto& hardware = env.fake().fakeAudioHardware();
    const auto device = hardware.addDevice({.uid = QStringLiteral("mic")});
    const auto hog = globalAddress(hogMode);
    const auto self = currentProcessID();
    EXPECT_EQ(hardware.setPropertyData(device, hog, self), OSStatusCode::noError);
    EXPECT_EQ(hardware.setPropertyData(device, hog, self), OSStatusCode::noError);
    EXPECT_EQ(hardware.hogModeOwner(device), self);
    EXPECT_EQ(hardware.setPropertyData(device, hog, std::int32_t(-1)), OSStatusCode::noError);

    hardware.setHogModeOwner(device, 4242);
    EXPECT_EQ(hardware.setPropertyData(device, hog, self), OSStatusCode::permissions);
    EXPECT_EQ(hardware.setPropertyData(device, hog, std::int32_t(-1)), OSStatusCode::permissions);
    EXPECT_EQ(hardware.hogModeOwner(device), 4242);
    EXPECT_EQ(hardware.setPropertyData(device, hog, std::uint32_t(1)),
              OSStatusCode::badPropertySize);
}

TEST(FakeAudioHardware, FaultsFailTheChosenCallsOnly) {
    TestEnvironment env;
    auto& hardware = env.fake().fakeAudioHardware();
    const auto device = hardware.addDevice({.uid = QStringLiteral("mic")});
    const auto volume = inputAddress(volumeScalar);
    hardware.addFault({.operation = FakeFault::Operation::get,
                       .object = device,
                       .address = volume,
                       .status = OSStatusCode::badObject,
                       .times = 1});
    hardware.addFault({.operation = FakeFault::Operation::hasProperty, .object = device});
    EXPECT_FALSE(readProperty<float>(hardware, device, volume));
    EXPECT_EQ(readProperty<float>(hardware, device, volume), 0.5f);  // only once
    EXPECT_FALSE(hardware.hasProperty(device, volume));
    EXPECT_EQ(readProperty<QString>(hardware, device, globalAddress(deviceUID)),
              QStringLiteral("mic"));
    hardware.clearFaults();
    EXPECT_TRUE(hardware.hasProperty(device, volume));

    bool settable = true;
    EXPECT_EQ(hardware.isPropertySettable(device, globalAddress(deviceUID), settable),
              OSStatusCode::noError);
    EXPECT_FALSE(settable);
    EXPECT_EQ(hardware.setPropertyData(device, globalAddress(deviceUID), QStringLiteral("x")),
              OSStatusCode::illegalOperation);
    EXPECT_EQ(hardware.setPropertyData(device, volume, 0.25), OSStatusCode::badPropertySize);
    PropertyValue value;
    EXPECT_EQ(hardware.getPropertyData(device, inputAddress(fourCC("nope")), {}, value),
              OSStatusCode::unknownProperty);
    EXPECT_EQ(hardware.getPropertyData(999, globalAddress(deviceUID), {}, value),
              OSStatusCode::badObject);
}

}  // namespace
}  // namespace tavrin
