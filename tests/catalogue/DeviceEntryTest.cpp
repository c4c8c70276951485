#include <gtest/gtest.h>

#include <QSet>
#include <cmath>
#include <limits>

#include "audio/MicrophoneDevice.h"
#include "camera/CameraDevice.h"
#include "catalogue/CaptureTransportType.h"
#include "catalogue/DeviceEntry.h"
#include "display/DisplayDevice.h"
#include "support/TestEnvironment.h"

namespace tavrin {
namespace {

using testing::TestEnvironment;

class DeviceEntryTest : public ::testing::Test {
protected:
    std::shared_ptr<CameraDevice> camera(const QString& manufacturer = QStringLiteral("Lumetric"),
                                         const QString& modelID = QStringLiteral("C920"),
                                         std::optional<const char*> transport = "usb ",
                                         const QString& deviceType = CaptureDeviceType::external) {
        const auto id = QStringLiteral("camera-%1").arg(next_++);
        addCaptureDevice(id, transport, deviceType);
        return CameraDevice::create(
            env_.context(), std::make_shared<SXCamera>(
                                id, values(QStringLiteral("Camera"), manufacturer, modelID)));
    }

    std::shared_ptr<MicrophoneDevice> microphone(const QString& manufacturer = {},
                                                 std::optional<const char*> transport = {}) {
        const auto id = QStringLiteral("microphone-%1").arg(next_++);
        addCaptureDevice(id, transport, CaptureDeviceType::microphone);
        return MicrophoneDevice::create(
            env_.context(),
            std::make_shared<SXMicrophone>(id, values(QStringLiteral("Microphone"), manufacturer)));
    }

    std::shared_ptr<DisplayDevice> display(const QString& symbolName = QStringLiteral("display")) {
        SXDisplay::Values values;
        values.localizedName = QStringLiteral("Studio Monitor");
        values.symbolName = symbolName;
        return DisplayDevice::create(env_.context(),
                                     std::make_shared<SXDisplay>(DisplayID(next_++), values));
    }

    static SXCaptureSource::Values values(const QString& name, const QString& manufacturer,
                                          const QString& modelID = {}) {
        SXCaptureSource::Values values;
        values.localizedName = name;
        values.manufacturer = manufacturer;
        values.modelID = modelID;
        return values;
    }

    void addCaptureDevice(const QString& id, std::optional<const char*> transport,
                          const QString& deviceType) {
        if (transport) {
            env_.fake().fakeCaptureDevices().add(
                {.uniqueID = id,
                 .deviceType = deviceType,
                 .transportType =
                     std::int32_t(*fourCharCodeFromText(QString::fromLatin1(*transport)))});
        }
    }

    TestEnvironment env_;
    int next_ = 1;
};

TEST_F(DeviceEntryTest, CameraStatusFollowsAvailabilityWithTheInUseOverride) {
    const auto device = camera();
    const auto entry = device->entry();
    EXPECT_EQ(entry.status(), (DeviceStatus{SXAvailability::available().status(), StatusTint::green,
                                            QString(), true}));

    device->setIsInUseByAnotherApplication(true);
    EXPECT_EQ(entry.status(),
              (DeviceStatus{QStringLiteral("In Use"), StatusTint::blue,
                            QStringLiteral("Another application is currently using this camera."),
                            true}));

    device->setAvailability(SXAvailability::notConnected());
    const auto disconnected = entry.status();
    EXPECT_EQ(disconnected.label, SXAvailability::notConnected().status());
    EXPECT_EQ(disconnected.recoverySuggestion, SXAvailability::notConnected().recoverySuggestion());
    EXPECT_EQ(disconnected.tint, StatusTint::secondary);
    EXPECT_FALSE(disconnected.isActive);

    device->setAvailability(SXAvailability::unknownSuspended());
    EXPECT_EQ(entry.status().tint, StatusTint::orange);
    device->setAvailability(SXAvailability::fromRawValue(QStringLiteral("thermalPause")));
    EXPECT_EQ(entry.status().tint, StatusTint::secondary);
    EXPECT_FALSE(entry.status().isActive);
    EXPECT_FALSE(entry.isAvailable());
}

TEST_F(DeviceEntryTest, StatusTintsByKind) {
    struct Case {
        SXAvailability availability;
        StatusTint microphone;
        StatusTint display;
    };
    const Case cases[] = {
        {SXAvailability::available(), StatusTint::green, StatusTint::green},
        {SXAvailability::lidClosed(), StatusTint::orange, StatusTint::orange},
        {SXAvailability::unknownSuspended(), StatusTint::orange, StatusTint::secondary},
        {SXAvailability::notConnected(), StatusTint::secondary, StatusTint::secondary},
        {SXAvailability::fromRawValue(QStringLiteral("later")), StatusTint::secondary,
         StatusTint::secondary},
    };
    const auto mic = microphone();
    const auto screen = display();
    for (const auto& c : cases) {
        mic->setAvailability(c.availability);
        screen->setAvailability(c.availability);
        EXPECT_EQ(mic->entry().status().tint, c.microphone)
            << c.availability.caseName().toStdString();
        EXPECT_EQ(screen->entry().status().tint, c.display)
            << c.availability.caseName().toStdString();
        EXPECT_EQ(mic->entry().status().isActive, c.availability == SXAvailability::available());
    }
}

TEST_F(DeviceEntryTest, StatusDotOnlyForAvailableDevicesRunningSomewhere) {
    const auto cam = camera();
    const auto mic = microphone();
    EXPECT_FALSE(cam->entry().statusDotColor());
    cam->setIsRunningSomewhere(true);
    mic->setIsRunningSomewhere(true);
    EXPECT_EQ(cam->entry().statusDotColor(), StatusTint::green);
    EXPECT_EQ(mic->entry().statusDotColor(), StatusTint::orange);
    mic->setAvailability(SXAvailability::lidClosed());
    EXPECT_FALSE(mic->entry().statusDotColor());
    EXPECT_EQ(mic->entry().status().tint, StatusTint::orange);
    EXPECT_FALSE(display()->entry().statusDotColor());
}

TEST_F(DeviceEntryTest, SubtitlesOfCamerasAndMicrophones) {
    EXPECT_EQ(microphone(QStringLiteral("Vocalis"), "usb ")->entry().subtitle(),
              QStringLiteral("Vocalis \u00b7 USB"));
    EXPECT_EQ(camera(QStringLiteral("Acme"), QStringLiteral("X"), "abcd")->entry().subtitle(),
              QStringLiteral("Acme \u00b7 abcd"));
    // Without a capture device there is no transport part.
    EXPECT_EQ(camera(QString(), QStringLiteral("X"), std::nullopt)->entry().subtitle(),
              std::nullopt);
    EXPECT_EQ(camera(QStringLiteral("Acme"), QStringLiteral("X"), std::nullopt)->entry().subtitle(),
              QStringLiteral("Acme"));
    // An unprintable transport code is written in hexadecimal rather than as raw bytes.
    env_.fake().fakeCaptureDevices().add(
        {.uniqueID = QStringLiteral("odd"), .transportType = 0x01020304});
    EXPECT_EQ(MicrophoneDevice::create(
                  env_.context(),
                  std::make_shared<SXMicrophone>(QStringLiteral("odd"), SXCaptureSource::Values{}))
                  ->entry()
                  .subtitle(),
              QStringLiteral("0x01020304"));
}

TEST_F(DeviceEntryTest, PhoneCamerasAreLabelledContinuity) {
    const auto phone = QStringLiteral("iPhone15,3");
    EXPECT_EQ(camera(QString(), phone, "othr")->entry().subtitle(),
              QStringLiteral("Continuity Camera"));
    EXPECT_EQ(
        camera(QString(), phone, "othr", CaptureDeviceType::deskViewCamera)->entry().subtitle(),
        QStringLiteral("Continuity Camera Desk View"));
    // Any other device type gives no label: the ordinary parts, here only the transport.
    EXPECT_EQ(camera(QString(), phone, "othr", CaptureDeviceType::builtInWideAngleCamera)
                  ->entry()
                  .subtitle(),
              QStringLiteral("othr"));
    // A manufacturer, another model or another transport rules the label out.
    EXPECT_EQ(camera(QStringLiteral("Acme"), phone, "othr")->entry().subtitle(),
              QStringLiteral("Acme \u00b7 othr"));
    EXPECT_EQ(camera(QString(), QStringLiteral("Pixel"), "othr")->entry().subtitle(),
              QStringLiteral("othr"));
    EXPECT_EQ(camera(QString(), phone, "usb ")->entry().subtitle(), QStringLiteral("USB"));
}

TEST_F(DeviceEntryTest, DisplaySubtitleIsTheWholeBackingPixelSize) {
    const auto screen = display();
    const auto entry = screen->entry();
    auto& services = env_.fake().fakeDisplayServices();
    auto setBackingPixelSize = [&](const QSizeF& size) {
        auto hardware = services.display(screen->id());
        hardware.currentMode = DisplayMode{size.width(), size.height(), 60, 0};
        services.setDisplay(screen->id(), hardware);
        screen->refreshScreenProperties();
    };
    EXPECT_EQ(entry.subtitle(), std::nullopt);
    setBackingPixelSize(QSizeF(2880.0, 1800.0));
    EXPECT_EQ(entry.subtitle(), QStringLiteral("2880 \u00d7 1800"));
    setBackingPixelSize(QSizeF(1920.9, 1080.2));
    EXPECT_EQ(entry.subtitle(), QStringLiteral("1920 \u00d7 1080"));
    const double nan = std::nan("");
    const double huge = 1e19;
    for (const auto& size : {QSizeF(0.9, 1080), QSizeF(1920, -1), QSizeF(nan, 1080),
                             QSizeF(1920, INFINITY), QSizeF(huge, 1080), QSizeF(-huge, 1080)}) {
        setBackingPixelSize(size);
        EXPECT_EQ(entry.subtitle(), std::nullopt) << size.width() << "x" << size.height();
    }
}

TEST_F(DeviceEntryTest, SymbolsAndTheirSlashedForm) {
    FakeSymbolCatalog symbols({QStringLiteral("mic.slash"), QStringLiteral("video.slash")});
    const auto mic = microphone();
    EXPECT_EQ(mic->entry().symbolName(), QStringLiteral("mic"));
    EXPECT_EQ(mic->entry().sidebarSymbolName(symbols), QStringLiteral("mic"));
    mic->setAvailability(SXAvailability::notConnected());
    EXPECT_EQ(mic->entry().sidebarSymbolName(symbols), QStringLiteral("mic.slash"));

    const auto laptop = display(QStringLiteral("laptopcomputer"));
    laptop->setAvailability(SXAvailability::lidClosed());
    EXPECT_EQ(laptop->entry().sidebarSymbolName(symbols), QStringLiteral("laptopcomputer"));
    EXPECT_EQ(display(QString())->entry().symbolName(), QStringLiteral("display"));
    EXPECT_EQ(camera()->entry().symbolName(), QStringLiteral("video"));
}

TEST_F(DeviceEntryTest, SearchMatchesNameManufacturerAndModel) {
    const auto cam = camera(QStringLiteral("LUMETRIC"), QStringLiteral("C920 Pro"));
    const auto entry = cam->entry();
    EXPECT_TRUE(entry.matches(QStringLiteral("   ")));
    EXPECT_TRUE(entry.matches(QStringLiteral("\t")));
    EXPECT_TRUE(entry.matches(QStringLiteral("lumetric")));
    EXPECT_TRUE(entry.matches(QStringLiteral("  c920 ")));
    EXPECT_TRUE(entry.matches(QStringLiteral("CAMERA")));
    EXPECT_FALSE(entry.matches(QStringLiteral("logi")));
    // Line breaks are not trimmed.
    EXPECT_FALSE(entry.matches(QStringLiteral("camera\n")));

    const auto screen = display();
    EXPECT_TRUE(screen->entry().matches(QStringLiteral("studio")));
    EXPECT_FALSE(screen->entry().matches(QStringLiteral("display")));  // the symbol isn't searched
    EXPECT_EQ(screen->entry().modelID(), QString());
}

TEST_F(DeviceEntryTest, EntriesAreEqualExactlyWhenTheyWrapTheSameModel) {
    const auto first = camera();
    const auto second = camera();  // same name, another model
    EXPECT_EQ(first->entry(), first->entry());
    EXPECT_EQ(qHash(first->entry()), qHash(first->entry()));
    EXPECT_NE(first->entry(), second->entry());
    QSet<DeviceEntry> set{first->entry(), first->entry(), second->entry()};
    EXPECT_EQ(set.size(), 2);
    EXPECT_EQ(first->entry().camera(), first);
    EXPECT_EQ(first->entry().microphone(), nullptr);
    EXPECT_EQ(&first->entry().device(), first.get());
}

TEST(CaptureTransportType, NamesTheKnownCodesOnly) {
    EXPECT_EQ(CaptureTransportType{std::int32_t(fourCC("usb "))}.displayName(),
              QStringLiteral("USB"));
    EXPECT_EQ(CaptureTransportType{std::int32_t(fourCC("ccwl"))}.displayName(),
              QStringLiteral("Continuity (wireless)"));
    EXPECT_EQ(CaptureTransportType{std::int32_t(fourCC("1394"))}.displayName(),
              QStringLiteral("FireWire"));
    EXPECT_EQ(CaptureTransportType{std::int32_t(fourCC("othr"))}.displayName(), std::nullopt);
    EXPECT_EQ(CaptureTransportType{0}.displayName(), std::nullopt);
}

}  // namespace
}  // namespace tavrin
