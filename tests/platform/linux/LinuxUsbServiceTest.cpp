#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/usbdevice_fs.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>

#include <QStringList>
#include <atomic>
#include <functional>
#include <thread>

#include "support/ForwardingV4L2System.h"

#include "platform/UsbVideoClass.h"
#include "platform/fake/FakeV4L2System.h"
#include "platform/linux/LinuxUsbService.h"
#include "platform/linux/V4L2Camera.h"
#include "platform/linux/V4L2Cameras.h"
#include "platform/linux/V4L2OwnHandles.h"
#include "runtime/CurrentProcess.h"
#include "runtime/VirtualMainThreadQueue.h"
#include "uvc/UVCControlTable.h"
#include "uvc/UVCController.h"
#include "uvc/UVCValue.h"

namespace tavrin {
namespace {

using namespace UsbVideoClass;

// The fake device as the service sees it, counting the calls that reach a node.
class CountingSystem final : public testing::ForwardingV4L2System {
public:
    using ForwardingV4L2System::ForwardingV4L2System;

    int close(int fd) override {
        ++closes;
        return ForwardingV4L2System::close(fd);
    }
    int ioctl(int fd, unsigned long request, void* argument) override {
        ++ioctls;
        return ForwardingV4L2System::ioctl(fd, request, argument);
    }

    std::atomic<int> ioctls{0};
    std::atomic<int> closes{0};
};

// The 1080p webcam of the fixture: bus 1, port path 1.4, capture node video0.
const QString webcamID = QStringLiteral("0x01140000046d082d");

class LinuxUsbServiceTest : public ::testing::Test {
protected:
    void SetUp() override { start(); }

    void start(const std::function<void(QList<FakeV4L2NodeSpec>&)>& change = {}) {
        auto nodes =
            FakeV4L2System::loadFixture(QStringLiteral(TAVRIN_FIXTURE_DIR "/uvc-webcams.json"))
                .value_or(QList<FakeV4L2NodeSpec>());
        if (change) {
            change(nodes);
        }
        fake_ = std::make_shared<FakeV4L2System>(nodes);
        counting_ = std::make_shared<CountingSystem>(*fake_);
        usb_ = std::make_unique<LinuxUsbService>(counting_);
    }
    std::optional<UVCControl> brightness(UVCController& controller) {
        const auto& spec = uvcControlSpec(UVCControlID::brightness);
        return controller.control(spec.unit, spec.selector, spec.byteCount);
    }
    // Whatever the calls in `body` print.
    static std::string printed(const std::function<void()>& body) {
        ::testing::internal::CaptureStdout();
        body();
        return ::testing::internal::GetCapturedStdout();
    }

    std::shared_ptr<FakeV4L2System> fake_;
    std::shared_ptr<CountingSystem> counting_;
    std::unique_ptr<LinuxUsbService> usb_;
};

TEST_F(LinuxUsbServiceTest, DevicesAreListedWithTheirHubsButNotRootHubsOrInterfaces) {
    std::vector<std::shared_ptr<UsbRegistryEntry>> devices;
    ASSERT_EQ(usb_->matchingServices(QStringLiteral("IOUSBDevice"), devices), 0);
    QList<std::int64_t> locations;
    for (const auto& device : devices) {
        locations.append(device->numberProperty(QStringLiteral("locationID")).value_or(-1));
    }
    std::sort(locations.begin(), locations.end());
    // Hubs 1-1 and 2-3, then the four cameras and the vivid machine's UVC gadget.
    EXPECT_EQ(locations, (QList<std::int64_t>{0x01100000, 0x01140000, 0x01200000, 0x02300000,
                                              0x02310000, 0x03600000, 0x04100000}));

    std::vector<std::shared_ptr<UsbRegistryEntry>> none;
    EXPECT_EQ(usb_->matchingServices(QStringLiteral("IOUSBHostInterface"), none), 0);
    EXPECT_TRUE(none.empty());
}

TEST_F(LinuxUsbServiceTest, TheControllerFindsOnlyTheCameraAtItsLocation) {
    const auto device = findUSBDevice(*usb_, webcamID);
    ASSERT_TRUE(device);
    EXPECT_EQ(device->numberProperty(QStringLiteral("idProduct")), 0x082d);
    std::vector<std::shared_ptr<UsbRegistryEntry>> children;
    device->childIterator(children);
    ASSERT_EQ(children.size(), 2u);
    EXPECT_EQ(children[0]->numberProperty(QStringLiteral("bInterfaceSubClass")), 1);
    EXPECT_EQ(children[1]->numberProperty(QStringLiteral("bInterfaceSubClass")), 2);
    // The hub the camera hangs off has no video interface.
    EXPECT_FALSE(findUSBDevice(*usb_, QStringLiteral("0x0110000005e30608")));
}

TEST_F(LinuxUsbServiceTest, ANodeWeMayNotOpenSaysWhichCallFailedAndWhy) {
    start([](auto& nodes) { nodes[0].permissionDenied = true; });
    const auto out = printed([&] { EXPECT_FALSE(UVCController::open(*usb_, webcamID)); });
    EXPECT_NE(out.find("[UVC] open /dev/video0 failed: errno 13 (Permission denied)\n"),
              std::string::npos)
        << out;
    // The controller's own line follows, with the status it was given.
    EXPECT_NE(out.find("IOCreatePlugInInterfaceForService(interface) failed kr=0xe00002e2"),
              std::string::npos)
        << out;
}

TEST_F(LinuxUsbServiceTest, AClaimedInterfaceCantBeClaimedTwiceWithoutTheDriver) {
    fake_->unbindUvcDriver();
    const int other = fake_->open(QStringLiteral("/dev/bus/usb/001/005"), 0);
    ASSERT_GE(other, 0);
    unsigned int interface = 0;
    ASSERT_EQ(fake_->ioctl(other, USBDEVFS_CLAIMINTERFACE, &interface), 0);
    const auto out = printed([&] { EXPECT_FALSE(UVCController::open(*usb_, webcamID)); });
    EXPECT_NE(out.find("[UVC] USBDEVFS_CLAIMINTERFACE(0) on /dev/bus/usb/001/005 failed: errno 16 "
                       "(Device or resource busy)\n"),
              std::string::npos)
        << out;
    fake_->close(other);
    EXPECT_TRUE(UVCController::open(*usb_, webcamID));
}

TEST_F(LinuxUsbServiceTest, AnotherHandlesRecordPriorityRefusesWritesWithOneLine) {
    const auto controller = UVCController::open(*usb_, webcamID);
    ASSERT_TRUE(controller);
    const auto control = brightness(*controller);
    ASSERT_TRUE(control);
    const int recorder =
        fake_->openAs(QStringLiteral("/dev/video0"), 4242, QStringLiteral("recorder"));
    std::uint32_t priority = V4L2_PRIORITY_RECORD;
    ASSERT_EQ(fake_->ioctl(recorder, VIDIOC_S_PRIORITY, &priority), 0);

    const auto out = printed([&] {
        EXPECT_FALSE(UVCController::setCurrent(*control, encodeUVCValue(10, 2)));
        EXPECT_FALSE(UVCController::setCurrent(*control, encodeUVCValue(10, 2)));
    });
    // The section retries every second: the same failure is told once.
    EXPECT_EQ(out,
              "[UVC] VIDIOC_S_CTRL(brightness) on /dev/video0 failed: errno 16 (Device or "
              "resource busy)\n");
    EXPECT_EQ(UVCController::currentValue(*control), 128);  // reading isn't priority-checked
    fake_->close(recorder);
    EXPECT_TRUE(UVCController::setCurrent(*control, encodeUVCValue(10, 2)));
    EXPECT_EQ(UVCController::currentValue(*control), 10);
}

TEST_F(LinuxUsbServiceTest, AWriteRefusedAsBusyIsMadeAgainOnOurOwnHandleOnceWeHaveOne) {
    auto handles = std::make_shared<V4L2OwnHandles>();
    usb_ = std::make_unique<LinuxUsbService>(counting_, handles);
    // Opened before our camera handle came: on a handle of its own.
    const auto controller = UVCController::open(*usb_, webcamID);
    ASSERT_TRUE(controller);
    const auto control = brightness(*controller);
    ASSERT_TRUE(control);
    V4L2CameraIdentity identity;
    identity.uniqueID = webcamID;
    identity.node = QStringLiteral("/dev/video0");
    const auto camera =
        V4L2Camera::make(*fake_, identity, fake_->open(QStringLiteral("/dev/video0"), O_RDWR));
    handles->update({camera});
    ASSERT_FALSE(camera->lockForConfiguration());

    const auto out = printed([&] {
        EXPECT_TRUE(UVCController::setCurrent(*control, encodeUVCValue(10, 2)));
        EXPECT_TRUE(UVCController::setCurrent(*control, encodeUVCValue(20, 2)));
    });
    EXPECT_EQ(out, "");
    EXPECT_EQ(UVCController::currentValue(*control), 20);
    // Another program is still refused while we hold the lock.
    const int other = fake_->openAs(QStringLiteral("/dev/video0"), 4242, QStringLiteral("other"));
    v4l2_control contrast{V4L2_CID_CONTRAST, 10};
    EXPECT_EQ(fake_->ioctl(other, VIDIOC_S_CTRL, &contrast), -EBUSY);
    fake_->close(other);
    camera->unlockForConfiguration();
}

TEST_F(LinuxUsbServiceTest, UnpluggedMidUseTheNodeClosesAndIsNeverTouchedAgain) {
    for (const bool raw : {false, true}) {
        start();
        if (raw) {
            fake_->unbindUvcDriver();
        }
        const auto controller = UVCController::open(*usb_, webcamID);
        ASSERT_TRUE(controller) << raw;
        const auto control = brightness(*controller);
        ASSERT_TRUE(control) << raw;
        fake_->unplug(QStringLiteral("video0"));
        const int closesBefore = counting_->closes;
        const auto out = printed([&] { EXPECT_FALSE(UVCController::currentValue(*control)); });
        EXPECT_EQ(out, "") << raw;  // an unplug is no failure; the refresh above says it once
        EXPECT_EQ(counting_->closes, closesBefore + 1) << raw;

        const int ioctlsAfter = counting_->ioctls;
        const auto later = printed([&] {
            EXPECT_FALSE(UVCController::currentValue(*control));
            EXPECT_FALSE(UVCController::setCurrent(*control, encodeUVCValue(1, 2)));
        });
        EXPECT_EQ(later, "") << raw;
        EXPECT_EQ(counting_->ioctls, ioctlsAfter) << raw;
    }
}

TEST_F(LinuxUsbServiceTest, APluggedBackCameraOpensAfreshWhileOldHandlesStayDead) {
    fake_->unbindUvcDriver();
    const auto before = UVCController::open(*usb_, webcamID);
    ASSERT_TRUE(before);
    const auto old = brightness(*before);
    ASSERT_TRUE(old);
    auto spec = FakeV4L2System::loadFixture(QStringLiteral(TAVRIN_FIXTURE_DIR "/uvc-webcams.json"))
                    ->front();
    spec.uvc->driverBound = false;
    printed([&] {
        fake_->unplug(QStringLiteral("video0"));
        EXPECT_FALSE(findUSBDevice(*usb_, webcamID));
        fake_->plug(spec);
        EXPECT_FALSE(UVCController::currentValue(*old));
    });
    const auto after = UVCController::open(*usb_, webcamID);
    ASSERT_TRUE(after);
    const auto fresh = brightness(*after);
    ASSERT_TRUE(fresh);
    EXPECT_EQ(UVCController::currentValue(*fresh), 128);
    EXPECT_FALSE(UVCController::currentValue(*old));
}

TEST_F(LinuxUsbServiceTest, CamerasOnTheirOwnThreadsDontMixTheirValues) {
    // One worker per camera, as the controls section runs them: each reads back what it wrote.
    const QString ids[] = {webcamID, QStringLiteral("0x0360000004f2b6dd"),
                           QStringLiteral("0x023100001e4e7103")};
    std::vector<std::thread> workers;
    std::atomic<int> mismatches{0};
    for (int camera = 0; camera < 3; ++camera) {
        workers.emplace_back([&, camera] {
            const auto controller = UVCController::open(*usb_, ids[camera]);
            const auto control = controller ? brightness(*controller) : std::nullopt;
            if (!control) {
                ++mismatches;
                return;
            }
            for (int round = 0; round < 200; ++round) {
                const int value = (camera * 7 + round) % 50;
                if (!UVCController::setCurrent(*control, encodeUVCValue(value, 2)) ||
                    UVCController::currentValue(*control) != value) {
                    ++mismatches;
                }
            }
        });
    }
    for (auto& worker : workers) {
        worker.join();
    }
    EXPECT_EQ(mismatches, 0);
}

TEST_F(LinuxUsbServiceTest, EveryUsbCameraTheCamerasListOpensItsController) {
    // What the camera inspector does: the listed camera's unique ID finds its USB device.
    VirtualMainThreadQueue queue;
    V4L2Cameras cameras(queue, counting_, currentProcessID());
    DeviceList<SXCamera> listed;
    const auto subscription = cameras.deviceFramework().cameraUpdates(
        false, [&](const DeviceList<SXCamera>& list) { listed = list; });
    cameras.start(std::chrono::seconds(5));
    queue.runUntilIdle();
    QStringList opened;
    for (const auto& camera : listed) {
        if (const auto controller = UVCController::open(*usb_, camera->id())) {
            opened.append(camera->id() + QStringLiteral(" CT %1 PU %2")
                                             .arg(controller->cameraTerminalUnitID())
                                             .arg(controller->processingUnitID()));
        }
    }
    opened.sort();
    EXPECT_EQ(opened, (QStringList{QStringLiteral("0x01140000046d082d CT 1 PU 3"),
                                   QStringLiteral("0x01200000045e0810 CT 1 PU 3"),
                                   QStringLiteral("0x023100001e4e7103 CT 0 PU 2"),
                                   QStringLiteral("0x0360000004f2b6dd CT 1 PU 2"),
                                   QStringLiteral("0x0410000012090001 CT 1 PU 2")}));
}

// Requests the controller never sends, straight to the interface.
class LinuxUsbInterfaceTest : public LinuxUsbServiceTest {
protected:
    IOReturn request(std::uint8_t type, std::uint8_t code, std::uint8_t unit, std::uint8_t selector,
                     QByteArray& data, std::uint8_t interface = 0) {
        UsbDeviceRequest transfer;
        transfer.bmRequestType = type;
        transfer.bRequest = code;
        transfer.wValue = std::uint16_t(selector << 8);
        transfer.wIndex = std::uint16_t(unit << 8 | interface);
        transfer.wLength = std::uint16_t(data.size());
        transfer.data = reinterpret_cast<std::uint8_t*>(data.data());
        return controller_->controlRequest(transfer);
    }
    void openInterface(const QString& uniqueID) {
        const auto device = findUSBDevice(*usb_, uniqueID);
        ASSERT_TRUE(device);
        std::vector<std::shared_ptr<UsbRegistryEntry>> children;
        device->childIterator(children);
        std::shared_ptr<UsbPlugIn> plugIn;
        ASSERT_EQ(children.front()->createPlugIn(UsbPlugInType::interface, plugIn), 0);
        controller_ = plugIn->queryInterfaceInterface();
        ASSERT_TRUE(controller_);
    }

    std::shared_ptr<UsbInterface> controller_;
};

TEST_F(LinuxUsbInterfaceTest, UnmappedRequestsStallSilentlyAsADeviceWould) {
    openInterface(webcamID);
    QByteArray two(2, '\0');
    QByteArray one(1, '\0');
    const auto out = printed([&] {
        // Digital multiplier: uvcvideo maps nothing there.
        EXPECT_EQ(request(requestTypeGet, getCur, 3, 0x0C, two), IOReturnCode::pipeStalled);
        // Another interface's number, the wrong direction, a length no control has.
        EXPECT_EQ(request(requestTypeGet, getCur, 3, 0x02, two, 1), IOReturnCode::pipeStalled);
        EXPECT_EQ(request(requestTypeSet, getCur, 3, 0x02, two), IOReturnCode::pipeStalled);
        QByteArray eight(8, '\0');
        EXPECT_EQ(request(requestTypeGet, getCur, 3, 0x02, eight), IOReturnCode::pipeStalled);
        // The output terminal has no controls; the exposure mode has no minimum.
        EXPECT_EQ(request(requestTypeGet, getCur, 4, 0x02, two), IOReturnCode::pipeStalled);
        EXPECT_EQ(request(requestTypeGet, getMin, 1, 0x02, one), IOReturnCode::pipeStalled);
        // A mode bitmap the standard doesn't have.
        one[0] = 3;
        EXPECT_EQ(request(requestTypeSet, setCur, 1, 0x02, one), IOReturnCode::pipeStalled);
        // A control this camera lacks (hue).
        EXPECT_EQ(request(requestTypeGet, getInfo, 3, 0x06, one), IOReturnCode::pipeStalled);
    });
    EXPECT_EQ(out, "");
}

TEST_F(LinuxUsbInterfaceTest, ARawTransferSaysHowManyBytesTheDeviceAnswered) {
    fake_->unbindUvcDriver();
    openInterface(webcamID);
    UsbDeviceRequest transfer;
    QByteArray four(4, '\0');
    transfer.bmRequestType = requestTypeGet;
    transfer.bRequest = getInfo;
    transfer.wValue = std::uint16_t(0x02 << 8);
    transfer.wIndex = std::uint16_t(3 << 8);
    transfer.wLength = 4;
    transfer.data = reinterpret_cast<std::uint8_t*>(four.data());
    ASSERT_EQ(controller_->controlRequest(transfer), IOReturnCode::success);
    // GET_INFO is one byte, however many were asked for.
    EXPECT_EQ(transfer.completedLength, 1u);
}

TEST_F(LinuxUsbInterfaceTest, TheExposureModesOfferedAreTheMenuItemsTheDriverAccepts) {
    openInterface(webcamID);
    QByteArray one(1, '\0');
    ASSERT_EQ(request(requestTypeGet, getRes, 1, 0x02, one), IOReturnCode::success);
    EXPECT_EQ(one[0], 0x09);  // manual and aperture priority
    // The driver refuses a mode its menu lacks; the device would stall.
    one[0] = 2;
    EXPECT_EQ(request(requestTypeSet, setCur, 1, 0x02, one), IOReturnCode::pipeStalled);
    EXPECT_EQ(fake_->controlValue(QStringLiteral("video0"), V4L2_CID_EXPOSURE_AUTO), 3);
}

TEST_F(LinuxUsbInterfaceTest, ExtensionUnitsGoThroughTheDriversQuery) {
    openInterface(webcamID);
    QByteArray value(2, '\0');
    value[0] = char(0x2A);
    ASSERT_EQ(request(requestTypeSet, setCur, 6, 0x01, value), IOReturnCode::success);
    QByteArray read(2, '\0');
    ASSERT_EQ(request(requestTypeGet, getCur, 6, 0x01, read), IOReturnCode::success);
    EXPECT_EQ(read, value);
    QByteArray length(2, '\0');
    ASSERT_EQ(request(requestTypeGet, getLen, 6, 0x01, length), IOReturnCode::success);
    EXPECT_EQ(decodeUVCValue(length), 2);
    EXPECT_EQ(request(requestTypeGet, getCur, 6, 0x07, read), IOReturnCode::pipeStalled);
}

TEST_F(LinuxUsbInterfaceTest, AValueTooWideForTheRequestIsReportedNotTruncated) {
    start([](auto& nodes) {
        auto& control = nodes[0].controls[V4L2_CID_BRIGHTNESS];
        control.maximum = 70000;
        control.value = 69999;
    });
    openInterface(webcamID);
    QByteArray two(2, '\0');
    std::string out = printed([&] {
        EXPECT_EQ(request(requestTypeGet, getMax, 3, 0x02, two), IOReturnCode::error);
        EXPECT_EQ(request(requestTypeGet, getCur, 3, 0x02, two), IOReturnCode::error);
    });
    EXPECT_EQ(out,
              "[UVC] brightness: value 70000 does not fit 2 byte(s); not answered\n"
              "[UVC] brightness: value 69999 does not fit 2 byte(s); not answered\n");
    EXPECT_EQ(two, QByteArray(2, '\0'));
    QByteArray four(4, '\0');
    EXPECT_EQ(request(requestTypeGet, getMax, 3, 0x02, four), IOReturnCode::success);
    EXPECT_EQ(decodeUVCValue(four), 70000);
}

}  // namespace
}  // namespace tavrin
