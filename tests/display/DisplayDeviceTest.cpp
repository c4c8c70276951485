#include <gtest/gtest.h>

#include "display/DisplayDevice.h"
#include "support/TestEnvironment.h"

namespace tavrin {
namespace {

using testing::ScopedLocale;
using testing::TestEnvironment;

class DisplayDeviceTest : public ::testing::Test {
protected:
    std::shared_ptr<DisplayDevice> plug(std::optional<FakeDisplayHardware> hardware = {}) {
        FakeDisplaySpec spec;
        spec.id = 722;
        spec.values.localizedName = QStringLiteral("Studio Monitor");
        spec.values.frame = QRectF(0, 0, 2560, 1440);
        spec.values.visibleFrame = QRectF(0, 0, 2560, 1415);
        spec.values.isMain = true;
        spec.hardware = hardware;
        env_.fake().plugDisplay(spec);
        env_.settle();
        auto display =
            DisplayDevice::create(env_.context(), env_.fake().fakeFramework().displays().find(722));
        env_.settle();
        return display;
    }
    FakeDisplayServices& services() { return env_.fake().fakeDisplayServices(); }
    void change(const std::function<void(FakeDisplayHardware&)>& edit) {
        auto hardware = services().display(722);
        edit(hardware);
        services().setDisplay(722, hardware);
        services().notifyScreenParametersChanged();
        env_.settle();
    }

    ScopedLocale english_{QLocale(QLocale::English, QLocale::UnitedStates)};
    TestEnvironment env_;
};

TEST_F(DisplayDeviceTest, CreationReadsEverythingAndRecordsTheDiscovery) {
    const auto display = plug();
    EXPECT_EQ(display->backingPixelSize(), QSizeF(2560, 1440));
    EXPECT_EQ(display->nativePixelSize(), QSizeF(2560, 1440));
    EXPECT_EQ(display->refreshRate(), 60.0);
    EXPECT_EQ(display->modeCount(), 2);
    EXPECT_EQ(display->backingScaleFactor(), 1.0);
    EXPECT_EQ(display->bitsPerSample(), 8);
    EXPECT_FALSE(display->mirrorOfID());
    EXPECT_EQ(env_.messages(display->uuid()),
              QStringList{"Discovered Studio Monitor (2560 \u00d7 1440, 60 Hz, main)"});
}

TEST_F(DisplayDeviceTest, WithoutAModeThePixelCountsAndNoRate) {
    auto hardware = FakeDisplaySpec::hardwareFor(QRectF(0, 0, 1512, 982), 2, true);
    hardware.currentMode.reset();
    hardware.allModes.reset();
    hardware.screen.reset();
    const auto display = plug(hardware);
    EXPECT_EQ(display->backingPixelSize(), QSizeF(3024, 1964));
    EXPECT_FALSE(display->refreshRate());
    EXPECT_EQ(display->modeCount(), 0);
    EXPECT_TRUE(display->isBuiltIn());
    EXPECT_EQ(env_.messages(display->uuid()),
              QStringList{"Discovered Studio Monitor (3024 \u00d7 1964, main)"});

    // The screen comes back: each screen value records its change from "—".
    change([](auto& h) { h.screen = ScreenInfo{0, 2, QStringLiteral("Color LCD"), 16, 4, 10}; });
    EXPECT_EQ(env_.messages(display->uuid()).mid(1),
              (QStringList{"Studio Monitor backing scale: \u2014 \u2192 2\u00d7",
                           "Studio Monitor color space: \u2014 \u2192 Color LCD",
                           "Studio Monitor EDR peak headroom: \u2014 \u2192 16\u00d7",
                           "Studio Monitor EDR current headroom: \u2014 \u2192 4\u00d7",
                           "Studio Monitor bits per sample: \u2014 \u2192 10"}));
}

TEST_F(DisplayDeviceTest, ScreenChangesAreLoggedInOrderWithTheirSources) {
    const auto display = plug();
    change([](auto& h) {
        h.currentMode = DisplayMode{1920, 1080, 0, 0};  // a rate of 0 is no rate
        h.mirrorOf = 69733382;
        h.rotation = 90;
        h.physicalSize = QSizeF(600, 340);
    });
    EXPECT_EQ(
        env_.messages(display->uuid()).mid(1),
        (QStringList{"Studio Monitor backing pixels: 2560 \u00d7 1440 \u2192 1920 \u00d7 1080",
                     "Studio Monitor refresh rate: 60 Hz \u2192 \u2014",
                     "Studio Monitor mirroring: none \u2192 Display 69733382",
                     "Studio Monitor rotation: 0\u00b0 \u2192 90\u00b0",
                     "Studio Monitor physical size: 512 \u00d7 288 \u2192 600 \u00d7 340"}));
    QStringList sources;
    for (const auto& event : env_.log().events(display->uuid()).mid(1)) {
        sources.append(event.source);
    }
    EXPECT_EQ(sources, (QStringList{"Mode", "Mode", "Mirror", "Geometry", "Mode"}));
    change([](auto& h) { h.mirrorOf = 0xFFFFFFFF; });
    EXPECT_EQ(env_.messages(display->uuid()).last(),
              QStringLiteral("Studio Monitor mirroring: Display 69733382 \u2192 none"));
}

TEST_F(DisplayDeviceTest, FrameworkChangesCompareExactly) {
    const auto display = plug();
    env_.fake().fakeFramework().displays().change(722, [](SXDisplay& d) {
        d.frame.send(QRectF(1512, -200, 2560, 1440));
        d.frame.send(QRectF(1512, -200, 2560, 1440));
        // Qt's fuzzy comparison would call this equal; the log must not.
        d.frame.send(QRectF(1512, -200, 2560, 1440.0000000001));
        d.isMain.send(false);
    });
    env_.settle();
    EXPECT_EQ(
        env_.messages(display->uuid()).mid(1),
        (QStringList{
            "Studio Monitor frame: (0, 0) 2560 \u00d7 1440 \u2192 (1512, -200) 2560 \u00d7 1440",
            "Studio Monitor frame: (1512, -200) 2560 \u00d7 1440 \u2192 (1512, -200) 2560 "
            "\u00d7 1440",
            "Studio Monitor main display: yes \u2192 no"}));
}

TEST_F(DisplayDeviceTest, SetOriginMovesTheDisplayOrCancelsOnFailure) {
    const auto display = plug();
    EXPECT_EQ(display->setOrigin(100, -50), DisplayErrorCode::success);
    env_.settle();
    EXPECT_EQ(display->frame(), QRectF(100, -50, 2560, 1440));

    services().failStep(FakeDisplayServices::Step::configure, DisplayErrorCode::illegalArgument);
    EXPECT_EQ(display->setOrigin(0, 0), DisplayErrorCode::illegalArgument);
    EXPECT_EQ(services().callCount(FakeDisplayServices::Step::cancel), 1);
    EXPECT_EQ(services().callCount(FakeDisplayServices::Step::complete), 1);
    EXPECT_FALSE(services().isConfigurationOpen());
    services().failStep(FakeDisplayServices::Step::begin, DisplayErrorCode::failure);
    EXPECT_EQ(display->setOrigin(0, 0), DisplayErrorCode::failure);
    EXPECT_EQ(services().callCount(FakeDisplayServices::Step::configure), 2);
}

}  // namespace
}  // namespace tavrin
