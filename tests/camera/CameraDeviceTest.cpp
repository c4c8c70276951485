#include <gtest/gtest.h>

#include <QSignalSpy>

#include "audio/MicrophoneDevice.h"
#include "camera/CameraDevice.h"
#include "support/TestEnvironment.h"

namespace tavrin {
namespace {

using testing::captureSource;
using testing::TestEnvironment;

class CameraDeviceTest : public ::testing::Test {
protected:
    // The camera the framework lists, once the fake has delivered its list.
    std::shared_ptr<SXCamera> listedCamera(const QString& id) {
        env_.settle();
        auto camera = env_.fake().fakeFramework().cameras().find(id);
        EXPECT_TRUE(camera) << id.toStdString();
        return camera;
    }

    TestEnvironment env_;
};

TEST_F(CameraDeviceTest, CreationCopiesTheFrameworkValuesAndRecordsTheDiscovery) {
    auto spec = captureSource(QStringLiteral("cam"), QStringLiteral("HD Pro Webcam"),
                              QStringLiteral("Lumetric"), CaptureDeviceType::external, "usb ");
    spec.values.modelID = QStringLiteral("C920");
    spec.values.isVirtual = true;
    env_.fake().plugCamera(spec);
    const auto camera = CameraDevice::create(env_.context(), listedCamera(QStringLiteral("cam")));
    EXPECT_EQ(camera->id(), QStringLiteral("cam"));
    EXPECT_FALSE(camera->uuid().isNull());
    EXPECT_EQ(camera->localizedName(), QStringLiteral("HD Pro Webcam"));
    EXPECT_EQ(camera->manufacturer(), QStringLiteral("Lumetric"));
    EXPECT_EQ(camera->modelID(), QStringLiteral("C920"));
    EXPECT_TRUE(camera->isVirtual());
    ASSERT_TRUE(camera->avDevice());
    env_.settle();
    EXPECT_EQ(env_.messages(camera->uuid()),
              QStringList{"Discovered HD Pro Webcam (idle, type=External, transport='usb ')"});
}

TEST_F(CameraDeviceTest, WithoutACaptureDeviceTheDiscoveryHasNoTypeOrTransport) {
    env_.fake().plugCamera(captureSource(QStringLiteral("v"), QStringLiteral("Virtual Cam")));
    const auto camera = CameraDevice::create(env_.context(), listedCamera(QStringLiteral("v")));
    EXPECT_FALSE(camera->avDevice());
    env_.settle();
    EXPECT_EQ(env_.messages(camera->uuid()), QStringList{"Discovered Virtual Cam (idle)"});
}

TEST_F(CameraDeviceTest, FrameworkChangesAreFollowedAndEqualValuesRecordNothing) {
    env_.fake().plugCamera(captureSource(QStringLiteral("cam"), QStringLiteral("Cam")));
    const auto camera = CameraDevice::create(env_.context(), listedCamera(QStringLiteral("cam")));
    QSignalSpy availabilityChanges(camera.get(), &CameraDevice::availabilityChanged);
    QSignalSpy nameChanges(camera.get(), &CameraDevice::localizedNameChanged);

    for (int i = 0; i < 3; ++i) {
        env_.fake().setAvailability(FakeDeviceKind::camera, QStringLiteral("cam"),
                                    SXAvailability::lidClosed());
    }
    env_.fake().setLocalizedName(FakeDeviceKind::camera, QStringLiteral("cam"),
                                 QStringLiteral("Renamed"));
    env_.settle();
    EXPECT_EQ(availabilityChanges.count(), 1);
    EXPECT_EQ(nameChanges.count(), 1);
    EXPECT_EQ(camera->localizedName(), QStringLiteral("Renamed"));
    // Name changes record nothing; the availability line uses the name at the time.
    EXPECT_EQ(
        env_.messages(camera->uuid()),
        (QStringList{"Discovered Cam (idle)", "Cam availability: available \u2192 lidClosed"}));
}

TEST_F(CameraDeviceTest, UpdateAdoptsANewObjectAndStopsFollowingTheOldOne) {
    env_.fake().plugCamera(captureSource(QStringLiteral("cam"), QStringLiteral("Cam")));
    const auto first = listedCamera(QStringLiteral("cam"));
    const auto camera = CameraDevice::create(env_.context(), first);
    env_.fake().replug(FakeDeviceKind::camera, QStringLiteral("cam"));
    const auto second = listedCamera(QStringLiteral("cam"));
    ASSERT_NE(first, second);
    second->availability.send(SXAvailability::unknownSuspended());

    camera->update(second);
    EXPECT_EQ(camera->sxCamera(), second);
    EXPECT_EQ(camera->availability(), SXAvailability::unknownSuspended());
    first->availability.send(SXAvailability::notConnected());  // no longer followed
    second->availability.send(SXAvailability::available());
    env_.settle();
    EXPECT_EQ(camera->availability(), SXAvailability::available());
    EXPECT_EQ(env_.messages(camera->uuid()).mid(1),
              (QStringList{"Cam availability: available \u2192 unknownSuspended",
                           "Cam availability: unknownSuspended \u2192 available"}));
}

TEST_F(CameraDeviceTest, AValueDeliveredAfterTheModelIsGoneDoesNothing) {
    env_.fake().plugCamera(captureSource(QStringLiteral("cam"), QStringLiteral("Cam")));
    const auto sxCamera = listedCamera(QStringLiteral("cam"));
    auto camera = CameraDevice::create(env_.context(), sxCamera);
    const auto uuid = camera->uuid();
    camera.reset();
    sxCamera->availability.send(SXAvailability::notConnected());
    env_.settle();
    EXPECT_EQ(env_.messages(uuid).size(), 1);  // only the discovery
    EXPECT_EQ(sxCamera->availability.subscriberCount(), 0u);
}

TEST_F(CameraDeviceTest, UsageChangesRecordOnceEachWithTheirLabels) {
    env_.fake().plugCamera(captureSource(QStringLiteral("cam"), QStringLiteral("Cam")));
    const auto camera = CameraDevice::create(env_.context(), listedCamera(QStringLiteral("cam")));
    camera->setIsRunningSomewhere(true);
    camera->setIsRunningSomewhere(true);
    camera->setIsInUseByAnotherApplication(true);
    camera->setIsInUseByAnotherApplication(false);
    env_.settle();
    EXPECT_EQ(env_.messages(camera->uuid()).mid(1),
              (QStringList{"Cam in use: no \u2192 yes", "Cam in use by another app: no \u2192 yes",
                           "Cam in use by another app: yes \u2192 no"}));
    EXPECT_EQ(env_.log().events(camera->uuid()).last().source, QStringLiteral("Usage"));
}

TEST(MicrophoneDevice, DiscoveryOfAnIdleMicrophoneWithoutACaptureDevice) {
    TestEnvironment env;
    env.fake().plugMicrophone(captureSource(QStringLiteral("mic"), QStringLiteral("USB Mic")));
    env.settle();
    const auto microphone = MicrophoneDevice::create(
        env.context(), env.fake().fakeFramework().microphones().find(QStringLiteral("mic")));
    microphone->setAvailability(SXAvailability::notConnected());
    env.settle();
    EXPECT_EQ(env.messages(microphone->uuid()),
              (QStringList{"Discovered USB Mic (idle)",
                           "USB Mic availability: available \u2192 notConnected"}));
    EXPECT_EQ(env.log().events(microphone->uuid()).last().source, QStringLiteral("Discovery"));
}

}  // namespace
}  // namespace tavrin
