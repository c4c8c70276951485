#include <gtest/gtest.h>

#include "camera/CameraDevice.h"
#include "platform/UsbVideoClass.h"
#include "support/TestEnvironment.h"
#include "support/UvcFixtures.h"
#include "uvc/UVCController.h"

namespace tavrin {

// Requests print as the bus analyser shows them.
void PrintTo(const FakeUvcCamera::ReceivedRequest& request, std::ostream* out) {
    *out << QString::asprintf("{%02X %02X %04X %04X %u}", request.bmRequestType, request.bRequest,
                              request.wValue, request.wIndex, request.wLength)
                .toStdString();
}

namespace {

using namespace UsbVideoClass;

using testing::fullWebcam;
using testing::webcamCameraTerminal;
using testing::webcamProcessingUnit;
using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

class UVCControllerTest : public ::testing::Test {
protected:
    std::unique_ptr<UVCController> open(const char* uniqueID = testing::webcamUniqueID) {
        return UVCController::open(usb_, QString::fromLatin1(uniqueID));
    }

    FakeUsbService usb_;
    std::shared_ptr<FakeUvcCamera> camera_ = fullWebcam();
};

TEST_F(UVCControllerTest, OpensTheCameraOfTheUniqueIDAndClosesItWhenGone) {
    usb_.plug(camera_);
    auto controller = open();
    ASSERT_TRUE(controller);
    EXPECT_TRUE(controller->isOpen());
    EXPECT_EQ(controller->cameraTerminalUnitID(), webcamCameraTerminal);
    EXPECT_EQ(controller->processingUnitID(), webcamProcessingUnit);
    EXPECT_TRUE(camera_->isDeviceOpen());
    EXPECT_TRUE(camera_->isInterfaceOpen());
    controller.reset();
    EXPECT_FALSE(camera_->isInterfaceOpen());
    EXPECT_FALSE(camera_->isDeviceOpen());
}

TEST_F(UVCControllerTest, SkipsDevicesWithoutAVideoControlInterfaceOrALocation) {
    auto noLocation = FakeUvcCamera::create(std::nullopt, testing::webcamVideoControlDescriptors());
    auto notVideo = FakeUvcCamera::create(0x14200000, testing::webcamVideoControlDescriptors());
    notVideo->setChildren({{1, 1}, {14, 2}, {std::nullopt, 1}});
    usb_.plug(noLocation);
    usb_.plug(notVideo);
    usb_.plug(camera_);
    auto controller = open();
    ASSERT_TRUE(controller);
    EXPECT_FALSE(notVideo->isDeviceOpen());
    EXPECT_TRUE(camera_->isDeviceOpen());
}

TEST_F(UVCControllerTest, NoCandidateMeansNoLookupAtAll) {
    usb_.plug(camera_);
    EXPECT_FALSE(open("Built-in HD Camera"));
    EXPECT_EQ(usb_.matchingCount(), 0);
    EXPECT_FALSE(open("0x9999999999999999"));  // candidates, but no device there
    EXPECT_EQ(usb_.matchingCount(), 1);
}

TEST_F(UVCControllerTest, EveryFailureToOpenSaysWhereOnStandardOutput) {
    struct Case {
        const char* name;
        std::function<void(FakeUvcCamera&)> breakIt;
        std::string output;
    };
    const std::string initFailed = "[UVC] init failed: openVideoControlInterface returned nil\n";
    const Case cases[] = {
        {"device plug-in", [](auto& c) { c.openFaults().devicePlugIn = IOReturnCode::error; },
         "[UVC] init failed: makeDeviceInterface returned nil\n"},
        {"device table", [](auto& c) { c.openFaults().deviceTableMissing = true; },
         "[UVC] init failed: makeDeviceInterface returned nil\n"},
        {"iterator", [](auto& c) { c.openFaults().interfaceIterator = IOReturnCode::noDevice; },
         "[UVC] openVideoControlInterface: CreateInterfaceIterator failed kr=0xe00002c0\n" +
             initFailed},
        {"no interface", [](auto& c) { c.openFaults().noVideoControlInterface = true; },
         "[UVC] openVideoControlInterface: no matching video-control interface in device\n" +
             initFailed},
        {"interface plug-in",
         [](auto& c) { c.openFaults().interfacePlugIn = IOReturnCode::notResponding; },
         "[UVC] openVideoControlInterface: IOCreatePlugInInterfaceForService(interface) failed "
         "kr=0xe00002ed\n" +
             initFailed},
        {"interface plug-in missing", [](auto& c) { c.openFaults().interfacePlugInMissing = true; },
         "[UVC] openVideoControlInterface: IOCreatePlugInInterfaceForService(interface) failed "
         "kr=0x00000000\n" +
             initFailed},
        {"interface table", [](auto& c) { c.openFaults().interfaceTableMissing = true; },
         "[UVC] openVideoControlInterface: QueryInterface for IOUSBInterfaceInterface942 "
         "returned nil\n" +
             initFailed},
    };
    for (const auto& c : cases) {
        FakeUsbService usb;
        auto camera = fullWebcam();
        c.breakIt(*camera);
        usb.plug(camera);
        CaptureStdout();
        EXPECT_FALSE(UVCController::open(usb, QString::fromLatin1(testing::webcamUniqueID)))
            << c.name;
        EXPECT_EQ(GetCapturedStdout(), c.output) << c.name;
        EXPECT_FALSE(camera->isDeviceOpen()) << c.name;
    }

    usb_.setMatchingFails(IOReturnCode::error);
    CaptureStdout();
    EXPECT_FALSE(open());
    EXPECT_EQ(GetCapturedStdout(), "[UVC] IOServiceGetMatchingServices failed kr=-536870212\n");
}

TEST_F(UVCControllerTest, ProbesOnceAndCachesAbsentResultsToo) {
    usb_.plug(camera_);
    auto controller = open();
    const auto brightness = controller->control(UVCUnit::processingUnit, 0x02, 2);
    ASSERT_TRUE(brightness);
    EXPECT_EQ(brightness->unitID, webcamProcessingUnit);
    EXPECT_EQ(brightness->max, 255);
    EXPECT_EQ(brightness->defaultValue, 128);
    EXPECT_TRUE(brightness->supportsSet);
    EXPECT_EQ(camera_->requestCount(), 4);  // GET_INFO, GET_MIN, GET_MAX, GET_DEF
    controller->control(UVCUnit::processingUnit, 0x02, 2);
    EXPECT_EQ(camera_->requestCount(), 4);

    EXPECT_FALSE(controller->control(UVCUnit::processingUnit, 0x33, 2));  // unknown control
    EXPECT_FALSE(controller->control(UVCUnit::processingUnit, 0x33, 2));
    EXPECT_EQ(camera_->requestCount(getInfo, webcamProcessingUnit, 0x33), 1);

    camera_->setControl(webcamCameraTerminal, 0x20, FakeUvcControl{.info = 0x02});
    EXPECT_FALSE(controller->control(UVCUnit::cameraTerminal, 0x20, 1));  // GET unsupported
    EXPECT_EQ(camera_->requestCount(), 6);
}

TEST_F(UVCControllerTest, AMissingUnitGivesNoControlsOnItAndCachesNothing) {
    auto noProcessingUnit =
        FakeUvcCamera::create(0x14200000, testing::bytes({0x12, 0x24, 0x02, 0x01, 0x01, 0x02, 0, 0,
                                                          0, 0, 0, 0, 0, 0, 3, 0x0E, 0, 0}));
    noProcessingUnit->setControl(1, 0x04, FakeUvcControl{.maximum = 10000});
    usb_.plug(noProcessingUnit);
    auto controller = open();
    ASSERT_TRUE(controller);
    EXPECT_EQ(controller->processingUnitID(), 0);
    EXPECT_FALSE(controller->control(UVCUnit::processingUnit, 0x02, 2));
    EXPECT_EQ(noProcessingUnit->requestCount(), 0);
    EXPECT_TRUE(controller->control(UVCUnit::cameraTerminal, 0x04, 4));
}

TEST_F(UVCControllerTest, FailedRangeRequestsFallBackAndLargeMaximaReadNegative) {
    camera_->setControl(webcamProcessingUnit, 0x40,
                        FakeUvcControl{.minimum = 0, .maximum = 40000, .defaultValue = 7});
    camera_->setControl(webcamProcessingUnit, 0x41, FakeUvcControl{});
    camera_->setControl(webcamProcessingUnit, 0x42,
                        FakeUvcControl{.minimum = -5, .defaultValue = 3});
    camera_->failRequests(getMax, webcamProcessingUnit, 0x41);
    camera_->failRequests(getMax, webcamProcessingUnit, 0x42);
    camera_->failRequests(0x82, webcamProcessingUnit, 0x42);
    camera_->failRequests(0x87, webcamProcessingUnit, 0x42);
    usb_.plug(camera_);
    auto controller = open();
    const auto large = controller->control(UVCUnit::processingUnit, 0x40, 2);
    EXPECT_EQ(large->max, 40000 - 65536);
    EXPECT_EQ(large->lowerBound(), 40000 - 65536);
    EXPECT_EQ(large->upperBound(), 0);
    EXPECT_EQ(large->clamped(100), 0);
    EXPECT_EQ(controller->control(UVCUnit::processingUnit, 0x41, 1)->max, 255);
    const auto failed = controller->control(UVCUnit::processingUnit, 0x42, 4);
    EXPECT_EQ(failed->min, 0);
    EXPECT_EQ(failed->max, 2147483647);
    EXPECT_EQ(failed->defaultValue, 0);
}

TEST_F(UVCControllerTest, AValueAnsweredShortIsAFailureNotTheZerosAfterIt) {
    camera_->setControl(
        webcamProcessingUnit, 0x40,
        FakeUvcControl{.minimum = 1, .maximum = 0x1234, .current = 0x0456, .answerLength = 1});
    usb_.plug(camera_);
    auto controller = open();
    const auto control = controller->control(UVCUnit::processingUnit, 0x40, 2);
    ASSERT_TRUE(control);
    // The range falls back as for a request that failed, rather than reading 0x0034.
    EXPECT_EQ(control->min, 0);
    EXPECT_EQ(control->max, 2147483647);
    IOReturn status = IOReturnCode::success;
    EXPECT_EQ(UVCController::currentValue(*control, &status), std::nullopt);
    EXPECT_EQ(status, IOReturnCode::underrun);
}

TEST_F(UVCControllerTest, ReadsAndWritesOnTheControlsOwnInterface) {
    usb_.plug(camera_);
    auto controller = open();
    const auto zoom = *controller->control(UVCUnit::cameraTerminal, 0x0B, 2);
    EXPECT_EQ(UVCController::currentValue(zoom), 128);
    EXPECT_TRUE(UVCController::setCurrent(zoom, testing::bytes({0x2C, 0x01})));
    EXPECT_EQ(camera_->control(webcamCameraTerminal, 0x0B)->current, 300);
    EXPECT_EQ(UVCController::currentValue(zoom), 300);

    camera_->failRequests(getCur, webcamCameraTerminal, 0x0B);
    camera_->failRequests(setCur, webcamCameraTerminal, 0x0B);
    EXPECT_EQ(UVCController::currentValue(zoom), std::nullopt);
    EXPECT_FALSE(UVCController::setCurrent(zoom, testing::bytes({0x01, 0x00})));
    // The handle outlives its controller: requests still go to the same interface.
    controller.reset();
    EXPECT_EQ(UVCController::currentValue(*std::optional<UVCControl>(zoom)), std::nullopt);
}

TEST_F(UVCControllerTest, EveryRequestNamesItsDirectionSelectorUnitInterfaceAndLength) {
    // On interface 3, so that the interface number shows in the low byte of wIndex.
    auto camera = FakeUvcCamera::create(0x14200000, testing::webcamVideoControlDescriptors(), 3);
    camera->setControl(webcamProcessingUnit, 0x02,
                       FakeUvcControl{.maximum = 255, .defaultValue = 128, .current = 128});
    camera->setControl(webcamCameraTerminal, 0x04, FakeUvcControl{.maximum = 10000});
    usb_.plug(camera);
    auto controller = open();
    ASSERT_TRUE(controller);
    EXPECT_EQ(controller->videoControlInterfaceNumber(), 3);

    const auto brightness = controller->control(UVCUnit::processingUnit, 0x02, 2);
    ASSERT_TRUE(brightness);
    EXPECT_EQ(UVCController::currentValue(*brightness), 128);
    EXPECT_TRUE(UVCController::setCurrent(*brightness, testing::bytes({0x2C, 0x01})));
    const auto exposure = controller->control(UVCUnit::cameraTerminal, 0x04, 4);
    ASSERT_TRUE(exposure);
    EXPECT_TRUE(UVCController::setCurrent(*exposure, testing::bytes({0x10, 0x27, 0, 0})));

    const std::vector<FakeUvcCamera::ReceivedRequest> expected{
        // The probe of brightness (unit 2, selector 2), then GET_CUR and SET_CUR.
        {0xA1, 0x86, 0x0200, 0x0203, 1},
        {0xA1, 0x82, 0x0200, 0x0203, 2},
        {0xA1, 0x83, 0x0200, 0x0203, 2},
        {0xA1, 0x87, 0x0200, 0x0203, 2},
        {0xA1, 0x81, 0x0200, 0x0203, 2},
        {0x21, 0x01, 0x0200, 0x0203, 2},
        // Exposure time (unit 1, selector 4, four bytes): the probe and SET_CUR.
        {0xA1, 0x86, 0x0400, 0x0103, 1},
        {0xA1, 0x82, 0x0400, 0x0103, 4},
        {0xA1, 0x83, 0x0400, 0x0103, 4},
        {0xA1, 0x87, 0x0400, 0x0103, 4},
        {0x21, 0x01, 0x0400, 0x0103, 4},
    };
    EXPECT_EQ(camera->requests(), expected);
    EXPECT_EQ(camera->control(webcamProcessingUnit, 0x02)->current, 300);
    EXPECT_EQ(camera->control(webcamCameraTerminal, 0x04)->current, 10000);
}

TEST_F(UVCControllerTest, ALocationWithALeadingZeroMatchesTheUpperHalfOfAHexUniqueID) {
    // 0x1420000046d0825 is 0x01420000'046d0825. Its upper half, written with eight digits,
    // begins with a zero that the text doesn't have, so no window of the text gives 0x01420000.
    auto camera = FakeUvcCamera::create(0x01420000, testing::webcamVideoControlDescriptors());
    usb_.plug(camera);
    auto controller = open("0x1420000046d0825");
    ASSERT_TRUE(controller);
    EXPECT_TRUE(camera->isDeviceOpen());
    EXPECT_EQ(controller->processingUnitID(), webcamProcessingUnit);
}

TEST(CameraDeviceUVC, TheControllerIsOpenedOnceAndKeptEvenWhenAbsent) {
    testing::TestEnvironment env;
    auto camera = fullWebcam();
    env.fake().fakeUsb().plug(camera);
    env.fake().plugCamera(testing::captureSource(QString::fromLatin1(testing::webcamUniqueID),
                                                 QStringLiteral("Webcam"), QString(),
                                                 CaptureDeviceType::external));
    env.fake().plugCamera(testing::captureSource(QStringLiteral("virtual"), QStringLiteral("V")));
    env.settle();
    const auto webcam = CameraDevice::create(
        env.context(),
        env.fake().fakeFramework().cameras().find(QString::fromLatin1(testing::webcamUniqueID)));
    const auto virtualCamera = CameraDevice::create(
        env.context(), env.fake().fakeFramework().cameras().find(QStringLiteral("virtual")));
    // Opening happens on each camera's own thread; the answer arrives on the main thread.
    ASSERT_TRUE(webcam->uvcController());
    EXPECT_EQ(webcam->uvcController(), webcam->uvcController());
    EXPECT_FALSE(virtualCamera->uvcController());
    EXPECT_FALSE(webcam->hasUVCController());
    testing::settleUVC(env.queue(), *webcam->uvcController());
    EXPECT_TRUE(webcam->hasUVCController());
    EXPECT_EQ(webcam->uvcController(), webcam->uvcController());
    EXPECT_EQ(env.fake().fakeUsb().matchingCount(), 1);
}

}  // namespace
}  // namespace tavrin
