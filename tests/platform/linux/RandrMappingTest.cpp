#include <gtest/gtest.h>

#include "support/QtPrinters.h"

#include "platform/linux/RandrMapping.h"

namespace tavrin::randr {
namespace {

constexpr std::uint64_t interlace = 0x10;
constexpr std::uint64_t doubleScan = 0x20;

TEST(RandrMapping, RefreshRateFromModeTimings) {
    // 1920×1080 at CVT reduced blanking, 1024×768 VESA at 85 Hz, and a 1080i broadcast mode.
    EXPECT_NEAR(*refreshRate({138.5e6, 2080, 1111}), 59.934, 0.001);
    EXPECT_NEAR(*refreshRate({94.5e6, 1376, 808}), 85.0, 0.01);
    EXPECT_NEAR(*refreshRate({74.25e6, 2200, 1125, interlace}), 60.0, 0.001);
    // 320×200 double-scanned as 640×400 lines: the picture repeats each line.
    EXPECT_NEAR(*refreshRate({12.59e6, 400, 262, doubleScan}), 60.06, 0.01);
    EXPECT_NEAR(*refreshRate({25.175e6, 800, 525, interlace | doubleScan}), 59.94, 0.01);
}

TEST(RandrMapping, ZeroTimingsGiveNoRefreshRate) {
    EXPECT_EQ(refreshRate({0, 2200, 1125}), std::nullopt);
    EXPECT_EQ(refreshRate({148.5e6, 0, 1125}), std::nullopt);
    EXPECT_EQ(refreshRate({148.5e6, 2200, 0}), std::nullopt);
    EXPECT_EQ(refreshRate({}), std::nullopt);
}

TEST(RandrMapping, MirrorGroupsFromCrtcs) {
    const QRectF left(0, 0, 1920, 1080);
    const QRectF right(1920, 0, 1920, 1080);
    // Two outputs on one CRTC, a third with the identical rectangle on its own CRTC, one apart.
    const QList<ActiveOutput> outputs{
        {70, 60, left}, {66, 60, left}, {80, 61, left}, {90, 62, right}};
    const auto targets = mirrorTargets(outputs);
    EXPECT_EQ(targets, (QHash<DisplayID, DisplayID>{{70, 66}, {80, 66}}));

    EXPECT_TRUE(mirrorTargets({{1, 1, left}, {2, 2, right}}).isEmpty());
    EXPECT_TRUE(mirrorTargets({}).isEmpty());
    // A rectangle overlapping another is no mirror: only identical ones are.
    EXPECT_TRUE(mirrorTargets({{1, 1, left}, {2, 2, QRectF(0, 0, 1280, 720)}}).isEmpty());
}

TEST(RandrMapping, RotationConnectorsScaleAndWorkArea) {
    EXPECT_EQ(rotationDegrees(1), 0);
    EXPECT_EQ(rotationDegrees(2), 90);
    EXPECT_EQ(rotationDegrees(4 | 16), 180) << "reflection bits don't matter";
    EXPECT_EQ(rotationDegrees(8), 270);

    for (const char* builtin : {"eDP-1", "eDP1", "LVDS-1", "DSI-1", "edp-2"}) {
        EXPECT_TRUE(isBuiltinConnector(QString::fromLatin1(builtin))) << builtin;
    }
    for (const char* external : {"HDMI-1", "DP-1", "DUMMY0", "VGA-1", ""}) {
        EXPECT_FALSE(isBuiltinConnector(QString::fromLatin1(external))) << external;
    }

    EXPECT_EQ(backingScale("Xft.antialias:\t1\nXft.dpi:\t144\n"), 1.5);
    EXPECT_EQ(backingScale("Xft.dpi: 96\nXft.dpi: 192"), 2.0) << "the last setting wins";
    EXPECT_EQ(backingScale(""), 1.0);
    EXPECT_EQ(backingScale("Xft.dpi:\tlarge\n"), 1.0);
    EXPECT_EQ(backingScale("Xft.dpi:\t0\n"), 1.0);
    EXPECT_EQ(backingScale("Xft.dpi:\t-96\n"), 1.0);
    EXPECT_EQ(backingScale("Xft.dpix:\t192\n"), 1.0);

    // Two desktops: a panel of 32 pixels on the first, of 48 on the second.
    const QList<long> areas{0, 32, 3840, 1048, 0, 48, 3840, 1032};
    const QRectF right(1920, 0, 1920, 1080);
    EXPECT_EQ(visibleFrame(areas, 0, right), QRectF(1920, 32, 1920, 1048));
    EXPECT_EQ(visibleFrame(areas, 1, right), QRectF(1920, 48, 1920, 1032));
    EXPECT_EQ(visibleFrame(areas, 2, right), std::nullopt);
    EXPECT_EQ(visibleFrame(areas, -1, right), std::nullopt);
    EXPECT_EQ(visibleFrame({0, 0, 100}, 0, right), std::nullopt) << "a short property";
    EXPECT_EQ(visibleFrame({0, 0, 1920, 1080}, 0, right), std::nullopt) << "no overlap";
    EXPECT_EQ(visibleFrame({}, 0, right), std::nullopt);
}

}  // namespace
}  // namespace tavrin::randr
