#include <gtest/gtest.h>
#include <linux/videodev2.h>

#include <fcntl.h>
#include <QThread>

#include "support/ForwardingV4L2System.h"
#include "support/QtPrinters.h"

#include "platform/MediaIO.h"
#include "platform/fake/FakeV4L2System.h"
#include "platform/linux/V4L2Cameras.h"
#include "runtime/CurrentProcess.h"
#include "runtime/VirtualMainThreadQueue.h"

namespace tavrin {
namespace {

QList<FakeV4L2NodeSpec> cameraFixture() {
    return FakeV4L2System::loadFixture(QStringLiteral(TAVRIN_FIXTURE_DIR "/v4l2-cameras.json"))
        .value_or(QList<FakeV4L2NodeSpec>());
}

class V4L2CamerasTest : public ::testing::Test {
protected:
    void start() {
        cameras_ = std::make_unique<V4L2Cameras>(
            queue_, std::make_unique<testing::ForwardingV4L2System>(fake_), currentProcessID());
        subscription_ = cameras_->deviceFramework().cameraUpdates(
            false, [this](const DeviceList<SXCamera>& list) { list_ = list; });
        cameras_->start(std::chrono::seconds(5));
        queue_.runUntilIdle();
    }

    bool waitFor(const std::function<bool()>& done) {
        for (int i = 0; i < 1000; ++i) {
            queue_.runUntilIdle();
            if (done()) {
                return true;
            }
            QThread::msleep(5);
        }
        return false;
    }

    std::shared_ptr<SXCamera> listed(const QString& id) const {
        for (const auto& camera : list_) {
            if (camera->id() == id) {
                return camera;
            }
        }
        return nullptr;
    }

    FakeV4L2System fake_{cameraFixture()};
    VirtualMainThreadQueue queue_;
    std::unique_ptr<V4L2Cameras> cameras_;
    Subscription subscription_;
    DeviceList<SXCamera> list_;
};

TEST_F(V4L2CamerasTest, EveryPhysicalCaptureDeviceIsOneCameraWithItsIdentity) {
    start();
    QStringList ids;
    for (const auto& camera : list_) {
        ids.append(camera->id());
    }
    // Metadata and output nodes are no cameras; the USB IDs pack bus and ports.
    EXPECT_EQ(ids, (QStringList{"0x01140000046d082d", "0x01200000045e0810", "0x0360000004f2b6d9",
                                "v4l2:vivid:platform:vivid-000"}));

    const auto c920 = listed("0x01140000046d082d");
    EXPECT_EQ(c920->localizedName.value(), QStringLiteral("HD Pro Webcam C920"));
    EXPECT_EQ(c920->manufacturer.value(), QString());  // it reports none
    EXPECT_EQ(c920->modelID.value(), QStringLiteral("046d:082d"));
    EXPECT_FALSE(c920->isVirtual.value());
    EXPECT_EQ(listed("0x01200000045e0810")->manufacturer.value(), QStringLiteral("Microsoft"));
    // The driver's card name is cut at 31 bytes; the USB product it begins with is whole.
    EXPECT_EQ(listed("0x01200000045e0810")->localizedName.value(),
              QString::fromUtf8("Microsoft\u00ae LifeCam HD-3000"));
    EXPECT_EQ(listed("0x0360000004f2b6d9")->localizedName.value(),
              QStringLiteral("Integrated Camera"));
    EXPECT_TRUE(listed("v4l2:vivid:platform:vivid-000")->isVirtual.value());

    auto& service = cameras_->captureDevices();
    const auto usb = service.deviceWithUniqueID("0x01140000046d082d");
    ASSERT_TRUE(usb);
    EXPECT_EQ(usb->transportType(), std::int32_t(fourCC("usb ")));
    EXPECT_EQ(usb->deviceType(), CaptureDeviceType::external);
    const auto integrated = service.deviceWithUniqueID("0x0360000004f2b6d9");
    EXPECT_EQ(integrated->deviceType(), CaptureDeviceType::builtInWideAngleCamera);
    EXPECT_FALSE(integrated->isSuspended());
    const auto vivid = service.deviceWithUniqueID("v4l2:vivid:platform:vivid-000");
    EXPECT_EQ(vivid->transportType(), std::int32_t(fourCC("virt")));
    EXPECT_FALSE(service.deviceWithUniqueID("nothing"));
    EXPECT_TRUE(cameras_->deviceFramework()
                    .authorizationStatus(SXAuthorizationSource::camera)
                    .isAuthorized.value());
}

TEST_F(V4L2CamerasTest, ModesFollowTheAutoControlsAndMissingControlsOfferOnlyContinuous) {
    start();
    auto& service = cameras_->captureDevices();
    const auto c920 = service.deviceWithUniqueID("0x01140000046d082d");
    EXPECT_EQ(c920->exposureMode(), 2);
    EXPECT_TRUE(c920->isExposureModeSupported(0));
    EXPECT_FALSE(c920->isExposureModeSupported(3));
    EXPECT_EQ(c920->focusMode(), 2);
    EXPECT_TRUE(c920->isFocusModeSupported(0));
    const auto lifeCam = service.deviceWithUniqueID("0x01200000045e0810");
    EXPECT_EQ(lifeCam->focusMode(), 2);
    EXPECT_FALSE(lifeCam->isFocusModeSupported(0));

    ASSERT_FALSE(c920->lockForConfiguration());
    std::atomic<int> told = 0;
    auto observation = c920->observe(CaptureKeyPath::exposureMode, [&] { ++told; });
    c920->setExposureMode(0);
    EXPECT_TRUE(waitFor([&] { return c920->exposureMode() == 0; }));
    c920->setExposureMode(0);  // the same again changes nothing
    c920->unlockForConfiguration();
    EXPECT_TRUE(waitFor([&] { return told >= 1; }));
    QThread::msleep(50);
    EXPECT_EQ(told, 1);
}

TEST_F(V4L2CamerasTest, ANodeThatMayNotBeOpenedIsListedUnauthorized) {
    auto nodes = cameraFixture();
    auto denied = nodes[0];
    denied.name = "video9";
    denied.permissionDenied = true;
    denied.usb["devpath"] = "3";
    fake_.plug(denied);
    start();
    const auto camera = listed("0x01300000046d082d");
    ASSERT_TRUE(camera);
    EXPECT_EQ(camera->localizedName.value(), QStringLiteral("HD Pro Webcam C920"));
    EXPECT_FALSE(cameras_->deviceFramework()
                     .authorizationStatus(SXAuthorizationSource::camera)
                     .isAuthorized.value());
    // Its preview fails with a text that says what to change.
    QString failure;
    auto preview = cameras_->deviceFramework().startCameraPreview(
        CameraPreviewRequest{"0x01300000046d082d"}, [](const PreviewFrame&) {},
        [&](const QString& reason) { failure = reason; });
    EXPECT_TRUE(waitFor([&] { return !failure.isEmpty(); }));
    EXPECT_TRUE(failure.contains("video group"));
}

TEST_F(V4L2CamerasTest, APortPathThatCantBePackedGivesAnIDWithoutALocation) {
    auto nodes = cameraFixture();
    auto deep = nodes[0];
    deep.name = "video8";
    deep.busInfo = "usb-0000:00:14.0-1.16";
    deep.usb["devpath"] = "1.16";
    fake_.plug(deep);
    start();
    EXPECT_TRUE(listed("usb:1-1.16:046d:082d"));
}

TEST_F(V4L2CamerasTest, UnplugMidPreviewAndLockEndsBothAndClosesTheHandle) {
    start();
    const auto id = QStringLiteral("0x01140000046d082d");
    const auto camera = cameras_->monitor().camera(id);
    ASSERT_FALSE(camera->lockForConfiguration());
    int frames = 0;
    QString failure;
    auto preview = cameras_->deviceFramework().startCameraPreview(
        CameraPreviewRequest{id}, [&](const PreviewFrame&) { ++frames; },
        [&](const QString& reason) { failure = reason; });
    ASSERT_TRUE(waitFor([&] { return frames > 0; }));

    fake_.unplug("video0");
    EXPECT_TRUE(waitFor([&] { return !listed(id); }));
    EXPECT_TRUE(waitFor([&] { return !failure.isEmpty(); }));
    // The preview ends first; the camera says it is gone once its handle is closed.
    EXPECT_TRUE(waitFor([&] { return !camera->isConnected(); }));
    EXPECT_TRUE(camera->lockForConfiguration());
    // No handle of ours is left on the node.
    EXPECT_TRUE(waitFor([&] {
        // the three other cameras
        return fake_.listDirectory(QStringLiteral("/proc/%1/fd").arg(currentProcessID())).size() ==
               3;
    }));
}

TEST_F(V4L2CamerasTest, APluggedBackCameraIsTheObjectKeptForItAndOneNobodyKeptIsFreed) {
    start();
    const auto id = QStringLiteral("0x01140000046d082d");
    auto kept = cameras_->monitor().camera(id);
    ASSERT_TRUE(kept);
    const std::weak_ptr<V4L2Camera> watched = kept;
    const auto plugBack = [&] {
        for (const auto& node : cameraFixture()) {
            if (node.name == QStringLiteral("video0") || node.name == QStringLiteral("video1")) {
                fake_.plug(node);
            }
        }
    };
    fake_.unplug("video0");
    ASSERT_TRUE(waitFor([&] { return !listed(id) && !kept->isConnected(); }));
    plugBack();
    ASSERT_TRUE(waitFor([&] { return listed(id) && kept->isConnected(); }));
    EXPECT_EQ(cameras_->monitor().camera(id), kept);
    EXPECT_FALSE(kept->formats().isEmpty());

    // Gone again with nobody keeping it: it is let go, and a new one comes back.
    kept.reset();
    fake_.unplug("video0");
    ASSERT_TRUE(waitFor([&] { return !listed(id); }));
    EXPECT_TRUE(waitFor([&] { return watched.expired(); }));
    plugBack();
    ASSERT_TRUE(waitFor([&] { return listed(id) != nullptr; }));
    EXPECT_TRUE(cameras_->monitor().camera(id)->isConnected());
}

TEST_F(V4L2CamerasTest, AStreamThatCantRestartAfterAFormatChangeEndsThePreviewCleanly) {
    start();
    const auto id = QStringLiteral("0x01140000046d082d");
    const auto camera = cameras_->monitor().camera(id);
    int frames = 0;
    QString failure;
    auto preview = cameras_->deviceFramework().startCameraPreview(
        CameraPreviewRequest{id}, [&](const PreviewFrame&) { ++frames; },
        [&](const QString& reason) { failure = reason; });
    ASSERT_TRUE(waitFor([&] { return frames > 0; }));

    // Another process takes the record priority: our restart after the change is refused.
    const int fd = fake_.openAs("/dev/video0", 4242, "v4l2-ctl");
    auto priority = V4L2_PRIORITY_RECORD;
    ASSERT_EQ(fake_.ioctl(fd, VIDIOC_S_PRIORITY, &priority), 0);
    camera->setActiveFormat(camera->formats().last());
    ASSERT_TRUE(waitFor([&] { return !failure.isEmpty(); }));
    preview.cancel();

    // The camera is left ready: once the priority is back, a new preview streams again.
    fake_.close(fd);
    frames = 0;
    failure.clear();
    auto again = cameras_->deviceFramework().startCameraPreview(
        CameraPreviewRequest{id}, [&](const PreviewFrame&) { ++frames; },
        [&](const QString& reason) { failure = reason; });
    EXPECT_TRUE(waitFor([&] { return frames > 0; })) << failure.toStdString();
}

TEST_F(V4L2CamerasTest, MediaIOListsEveryCameraAndFollowsAForeignStream) {
    start();
    auto& mediaIO = cameras_->mediaIO();
    const auto owned = readProperty<QList<ObjectID>>(mediaIO, systemObjectID,
                                                     globalAddress(MediaIOSelector::ownedObjects));
    ASSERT_TRUE(owned);
    ASSERT_EQ(owned->size(), 4);
    const auto device = owned->at(3);
    EXPECT_EQ(readProperty<QString>(mediaIO, device, globalAddress(MediaIOSelector::deviceUID)),
              QStringLiteral("v4l2:vivid:platform:vivid-000"));
    std::atomic<int> told = 0;
    auto block = std::make_shared<const PropertyListenerFunction>(
        [&](const QList<PropertyAddress>&) { ++told; });
    const auto running = globalAddress(MediaIOSelector::isRunningSomewhere);
    mediaIO.addPropertyListener(device, running, block);

    const int fd = fake_.openAs("/dev/video4", 4242, "v4l2-ctl");
    v4l2_requestbuffers request{2, V4L2_BUF_TYPE_VIDEO_CAPTURE, V4L2_MEMORY_MMAP};
    ASSERT_EQ(fake_.ioctl(fd, VIDIOC_REQBUFS, &request), 0);
    EXPECT_TRUE(
        waitFor([&] { return readProperty<std::uint32_t>(mediaIO, device, running) == 1u; }));
    EXPECT_TRUE(waitFor([&] { return told == 1; }));
    fake_.close(fd);
    EXPECT_TRUE(
        waitFor([&] { return readProperty<std::uint32_t>(mediaIO, device, running) == 0u; }));
    mediaIO.removePropertyListener(device, running, block);
}

}  // namespace
}  // namespace tavrin
