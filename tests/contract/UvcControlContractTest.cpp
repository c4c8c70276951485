#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QFile>
#include <QList>
#include <cctype>
#include <cstdlib>
#include <optional>

#include "contract/UvcGadget.h"
#include "platform/fake/FakeUvcCamera.h"
#include "platform/fake/FakeUvcFixtureCamera.h"
#include "platform/fake/FakeV4L2System.h"
#include "platform/linux/LinuxUsbService.h"
#include "platform/linux/LinuxV4L2System.h"
#include "platform/linux/V4L2Mapping.h"
#include "uvc/UVCControlTable.h"
#include "uvc/UVCController.h"
#include "uvc/UVCValue.h"

namespace tavrin::testing {
namespace {

struct Expected {
    UVCControlID id;
    bool settable;
    std::int64_t min;
    std::int64_t max;
    std::int64_t defaultValue;
};

// A value written and what the device makes of it: kept, rounded to its step or clamped.
struct Write {
    UVCControlID id;
    std::int64_t written;
    std::int64_t read;
    // The V4L2 control that must then hold `read` on the driver; 0 for none to check.
    std::uint32_t v4l2ID;
};

struct Webcam {
    const char* name;
    // The fixture's capture node.
    const char* node;
    std::uint32_t locationID;
    std::uint16_t vendorID;
    std::uint16_t productID;
    std::uint8_t cameraTerminal;
    std::uint8_t processingUnit;
    // Every control of the table that exists; the others must be absent. The auto-exposure mode
    // has no GET_MIN or GET_MAX (the device stalls them), so it reads the controller's fallbacks
    // 0 and 255, and its default as the standard's bitmap.
    QList<Expected> controls;
    std::optional<Expected> privacy;
    QList<Write> writes;
};

using enum UVCControlID;

const Webcam fullHD{"1080p webcam",
                    "video0",
                    0x01140000,
                    0x046d,
                    0x082d,
                    1,
                    3,
                    {{brightness, true, 0, 255, 128},
                     {contrast, true, 0, 255, 128},
                     {saturation, true, 0, 255, 128},
                     {sharpness, true, 0, 255, 128},
                     {gain, true, 0, 255, 0},
                     {backlightCompensation, true, 0, 1, 0},
                     {aeMode, true, 0, 255, 8},
                     {exposureTime, true, 3, 2047, 250},
                     {focusAuto, true, 0, 1, 1},
                     {focusAbsolute, true, 0, 250, 0},
                     {whiteBalanceAuto, true, 0, 1, 1},
                     {whiteBalanceTemperature, true, 2000, 6500, 4000},
                     {zoomAbsolute, true, 100, 500, 100},
                     {powerLineFrequency, true, 0, 2, 2}},
                    std::nullopt,
                    // Focus moves in steps of 5: 7 is nearest to 5.
                    {{focusAbsolute, 7, 5, V4L2_CID_FOCUS_ABSOLUTE},
                     {zoomAbsolute, 900, 500, V4L2_CID_ZOOM_ABSOLUTE}}};

const Webcam extensionFirst{"webcam with the input terminal after an extension unit",
                            "video2",
                            0x01200000,
                            0x045e,
                            0x0810,
                            1,
                            3,
                            {{brightness, true, 30, 255, 133},
                             {contrast, true, 0, 10, 5},
                             {saturation, true, 0, 200, 83},
                             {sharpness, true, 0, 50, 25},
                             {backlightCompensation, true, 0, 10, 0},
                             {aeMode, true, 0, 255, 1},
                             {exposureTime, true, 5, 20000, 156},
                             {whiteBalanceAuto, true, 0, 1, 1},
                             {whiteBalanceTemperature, true, 2800, 10000, 4500},
                             {zoomAbsolute, true, 0, 10, 0},
                             {powerLineFrequency, true, 0, 2, 2}},
                            std::nullopt,
                            {}};

const Webcam integrated{"integrated laptop camera",
                        "video4",
                        0x03600000,
                        0x04f2,
                        0xb6dd,
                        1,
                        2,
                        {{brightness, true, -64, 64, 0},
                         {contrast, true, 0, 95, 0},
                         {saturation, true, 0, 100, 64},
                         {sharpness, true, 1, 7, 2},
                         {hue, true, -2000, 2000, 0},
                         {gamma, true, 100, 300, 100},
                         {backlightCompensation, true, 0, 2, 1},
                         {aeMode, true, 0, 255, 8},
                         {exposureTime, true, 1, 5000, 156},
                         {whiteBalanceAuto, true, 0, 1, 1},
                         {whiteBalanceTemperature, true, 2800, 6500, 4600},
                         {powerLineFrequency, true, 0, 2, 1}},
                        // The shutter's switch: read-only, as a laptop's hardware switch is.
                        Expected{brightness, false, 0, 1, 0},
                        // A signed value keeps its sign.
                        {{brightness, -20, -20, V4L2_CID_BRIGHTNESS}}};

const Webcam grabber{"capture device without a camera terminal",
                     "video6",
                     0x02310000,
                     0x1e4e,
                     0x7103,
                     0,
                     2,
                     {{brightness, true, -128, 127, 0},
                      {contrast, true, 0, 255, 128},
                      {saturation, true, 0, 255, 128},
                      {hue, true, -128, 127, 0},
                      {sharpness, true, 0, 15, 0}},
                     std::nullopt,
                     {}};

// The UVC gadget of the vivid machine (scripts/vivid-vm/uvc-gadget.sh): the units the kernel's
// UVC function fixes, and the controls its descriptors allow, with the ranges its responder
// answers. Signed brightness in steps of 5, so rounding, clamping and the sign all show. The
// location is the fixture's; on the real bus it is read from sysfs.
const Webcam gadget{"UVC gadget",
                    "video7",
                    0x04100000,
                    0x1209,
                    0x0001,
                    1,
                    2,
                    {{brightness, true, -50, 50, 0}, {aeMode, true, 0, 255, 8}},
                    std::nullopt,
                    {{brightness, -20, -20, V4L2_CID_BRIGHTNESS},
                     {brightness, 7, 5, V4L2_CID_BRIGHTNESS},
                     {brightness, 900, 50, V4L2_CID_BRIGHTNESS}}};

// What the controller talks to: the fake USB layer with cameras built from the webcam fixture
// ("fake"), or the Linux USB service over the fake V4L2 device and sysfs tree of the same
// fixture, with uvcvideo bound ("linux") or unbound so requests go through usbfs ("linux-raw"),
// or the Linux USB service over the real kernel with the vivid machine's UVC gadget, bound to
// uvcvideo ("gadget") or taken from it, so requests reach the gadget through usbfs
// ("gadget-raw"). The gadget is the fixture's last webcam, so the same expectations hold for all.
class UvcTarget {
public:
    explicit UvcTarget(const QString& kind) {
        if (kind.startsWith(QLatin1String("gadget"))) {
            usb_ = std::make_unique<LinuxUsbService>(std::make_shared<LinuxV4L2System>());
            gadget_ = UvcGadget::find();
            if (gadget_ && (kind == QLatin1String("gadget") || gadget_->takeFromDriver())) {
                auto located = gadget;
                located.locationID = gadget_->locationID();
                webcams_ = {located};
            }
            return;
        }
        webcams_ = {fullHD, extensionFirst, integrated, grabber, gadget};
        const auto nodes =
            FakeV4L2System::loadFixture(QStringLiteral(TAVRIN_FIXTURE_DIR "/uvc-webcams.json"))
                .value_or(QList<FakeV4L2NodeSpec>());
        if (kind == QLatin1String("fake")) {
            auto usb = std::make_unique<FakeUsbService>();
            for (const auto& node : nodes) {
                if (auto camera = makeFakeUvcCamera(node)) {
                    usb->plug(camera);
                }
            }
            usb_ = std::move(usb);
            return;
        }
        system_ = std::make_shared<FakeV4L2System>(nodes);
        if (kind == QLatin1String("linux-raw")) {
            system_->unbindUvcDriver();
        }
        usb_ = std::make_unique<LinuxUsbService>(system_);
    }

    UsbService& usb() { return *usb_; }
    // The webcams this target has; empty only when the gadget was asked for and isn't there.
    const QList<Webcam>& webcams() const { return webcams_; }
    // The V4L2 control's value on the driver: the fake device's, or the real node's.
    std::optional<std::int32_t> driverValue(const Webcam& webcam, std::uint32_t id) const {
        if (system_) {
            return system_->controlValue(QString::fromLatin1(webcam.node), id);
        }
        const auto node = gadget_ ? gadget_->captureNode() : QString();
        if (node.isEmpty()) {
            return std::nullopt;
        }
        const int fd = ::open(QFile::encodeName(node).constData(), O_RDWR);
        if (fd < 0) {
            return std::nullopt;
        }
        v4l2_control control{id, 0};
        const bool read = ::ioctl(fd, VIDIOC_G_CTRL, &control) == 0;
        ::close(fd);
        return read ? std::optional<std::int32_t>(control.value) : std::nullopt;
    }

private:
    std::shared_ptr<FakeV4L2System> system_;
    std::unique_ptr<UsbService> usb_;
    QList<Webcam> webcams_;
    std::unique_ptr<UvcGadget> gadget_;
};

// Every target runs the suite; the gadget only inside the vivid machine that made it.
std::vector<const char*> uvcTargets() {
    std::vector<const char*> targets{"fake", "linux", "linux-raw"};
    if (const char* gadget = std::getenv("TAVRIN_UVC_GADGET");
        gadget && gadget == std::string("1")) {
        targets.push_back("gadget");
        targets.push_back("gadget-raw");
    }
    return targets;
}

std::string targetName(const ::testing::TestParamInfo<const char*>& info) {
    std::string name = info.param;
    // GoogleTest's names take no '-': "linux-raw" is "linuxRaw".
    if (const auto dash = name.find('-'); dash != std::string::npos && dash + 1 < name.size()) {
        name.replace(dash, 2, 1, char(std::toupper(name[dash + 1])));
    }
    return name;
}

class UvcControlContract : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        target_ = std::make_unique<UvcTarget>(QString::fromUtf8(GetParam()));
        // A target that was asked for must be there: the gadget's absence is a failure.
        ASSERT_FALSE(target_->webcams().isEmpty())
            << "no UVC gadget on the USB bus, or uvcvideo kept it";
    }

    std::unique_ptr<UVCController> open(const Webcam& webcam) {
        return UVCController::open(
            target_->usb(),
            V4L2Mapping::usbUniqueID(webcam.locationID, webcam.vendorID, webcam.productID));
    }
    // Whether requests become V4L2 control calls on a driver whose values the test can read.
    static bool goesThroughTheDriver() {
        const std::string target = GetParam();
        return target == "linux" || target == "gadget";
    }
    static std::optional<UVCControl> control(UVCController& controller, UVCControlID id) {
        const auto& spec = uvcControlSpec(id);
        return controller.control(spec.unit, spec.selector, spec.byteCount);
    }
    static bool has(const Webcam& webcam, UVCControlID id) {
        return std::any_of(webcam.controls.begin(), webcam.controls.end(),
                           [&](const Expected& entry) { return entry.id == id; });
    }

    std::unique_ptr<UvcTarget> target_;
};

TEST_P(UvcControlContract, EachWebcamOpensWithTheUnitIDsOfItsDescriptors) {
    for (const auto& webcam : target_->webcams()) {
        const auto controller = open(webcam);
        ASSERT_TRUE(controller) << webcam.name;
        EXPECT_EQ(controller->cameraTerminalUnitID(), webcam.cameraTerminal) << webcam.name;
        EXPECT_EQ(controller->processingUnitID(), webcam.processingUnit) << webcam.name;
        EXPECT_EQ(controller->videoControlInterfaceNumber(), 0) << webcam.name;
    }
}

TEST_P(UvcControlContract, ControlsExistAsTheDriverReportsThemWithItsRanges) {
    for (const auto& webcam : target_->webcams()) {
        const auto controller = open(webcam);
        ASSERT_TRUE(controller) << webcam.name;
        for (const auto& spec : uvcControlTable) {
            const auto probed = control(*controller, spec.id);
            const auto expected =
                std::find_if(webcam.controls.begin(), webcam.controls.end(),
                             [&](const Expected& entry) { return entry.id == spec.id; });
            const auto where =
                std::string(webcam.name) + ", control " + std::to_string(int(spec.id));
            if (expected == webcam.controls.end()) {
                EXPECT_FALSE(probed) << where;
                continue;
            }
            ASSERT_TRUE(probed) << where;
            EXPECT_EQ(probed->supportsSet, expected->settable) << where;
            EXPECT_EQ(probed->min, expected->min) << where;
            EXPECT_EQ(probed->max, expected->max) << where;
            EXPECT_EQ(probed->defaultValue, expected->defaultValue) << where;
        }
        const auto privacy =
            controller->control(UVCUnit::cameraTerminal, uvcPrivacySelector, uvcPrivacyByteCount);
        ASSERT_EQ(privacy.has_value(), webcam.privacy.has_value()) << webcam.name;
        if (privacy) {
            EXPECT_EQ(privacy->supportsSet, webcam.privacy->settable);
            EXPECT_EQ(privacy->min, webcam.privacy->min);
            EXPECT_EQ(privacy->max, webcam.privacy->max);
        }
    }
}

TEST_P(UvcControlContract, ExposureModeTravelsAsTheBitmapBothWays) {
    for (const auto& webcam : target_->webcams()) {
        if (!has(webcam, aeMode)) {
            continue;
        }
        const auto controller = open(webcam);
        ASSERT_TRUE(controller) << webcam.name;
        const auto mode = control(*controller, aeMode);
        ASSERT_TRUE(mode) << webcam.name;
        // Each starts in the driver's aperture priority (3), which is the standard's 8.
        EXPECT_EQ(UVCController::currentValue(*mode), 8) << webcam.name;
        // The standard's manual 1 is the driver's 1.
        for (const auto& [bitmap, menu] : {std::pair{1, 1}, std::pair{8, 3}}) {
            ASSERT_TRUE(UVCController::setCurrent(*mode, encodeUVCValue(bitmap, 1))) << webcam.name;
            EXPECT_EQ(UVCController::currentValue(*mode), bitmap) << webcam.name;
            if (goesThroughTheDriver()) {
                EXPECT_EQ(target_->driverValue(webcam, V4L2_CID_EXPOSURE_AUTO), menu)
                    << webcam.name;
            }
        }
    }
}

TEST_P(UvcControlContract, TheDeviceRoundsAndClampsWhatTheCallerDidNotAndKeepsTheSign) {
    for (const auto& webcam : target_->webcams()) {
        const auto controller = open(webcam);
        ASSERT_TRUE(controller) << webcam.name;
        for (const auto& write : webcam.writes) {
            const auto where = std::string(webcam.name) + ", " + std::to_string(write.written);
            const auto target = control(*controller, write.id);
            ASSERT_TRUE(target) << where;
            const auto size = uvcControlSpec(write.id).byteCount;
            ASSERT_TRUE(UVCController::setCurrent(*target, encodeUVCValue(write.written, size)))
                << where;
            EXPECT_EQ(UVCController::currentValue(*target), write.read) << where;
            if (goesThroughTheDriver() && write.v4l2ID != 0) {
                EXPECT_EQ(target_->driverValue(webcam, write.v4l2ID), write.read) << where;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, UvcControlContract, ::testing::ValuesIn(uvcTargets()),
                         targetName);

// The privacy shutter: the gadget's camera terminal has none to offer (the kernel's UVC function
// fixes its controls), so it runs against the fixture's targets alone.
class UvcPrivacyContract : public UvcControlContract {};

TEST_P(UvcPrivacyContract, ThePrivacyShutterReadsAndRefusesWrites) {
    const auto controller = open(integrated);
    ASSERT_TRUE(controller);
    const auto privacy =
        controller->control(UVCUnit::cameraTerminal, uvcPrivacySelector, uvcPrivacyByteCount);
    ASSERT_TRUE(privacy);
    EXPECT_EQ(UVCController::currentValue(*privacy), 1);
    EXPECT_FALSE(UVCController::setCurrent(*privacy, encodeUVCValue(0, 1)));
    EXPECT_EQ(UVCController::currentValue(*privacy), 1);
}

INSTANTIATE_TEST_SUITE_P(Targets, UvcPrivacyContract,
                         ::testing::Values("fake", "linux", "linux-raw"), targetName);

}  // namespace
}  // namespace tavrin::testing
