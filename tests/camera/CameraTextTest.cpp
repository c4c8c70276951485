#include <gtest/gtest.h>

#include "camera/CameraFormatSummary.h"
#include "camera/CameraTestSupport.h"
#include "camera/CameraText.h"

namespace tavrin {
namespace {

using testing::rateRange;
using testing::ScopedLocale;
using testing::videoFormat;

TEST(CameraText, FormatsNamesAndFrameRates) {
    ScopedLocale english(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(CameraText::format(nullptr), QString::fromUtf8("\u2014"));
    EXPECT_EQ(CameraText::format(videoFormat(1280, 720, "420v")),
              QString::fromUtf8("1280\u00d7720 420v (NV12)"));
    EXPECT_EQ(CameraText::format(videoFormat(640, 480, "abcd")),
              QString::fromUtf8("640\u00d7480 abcd"));
    auto unprintable = std::make_shared<CaptureDeviceFormat>();
    unprintable->mediaSubtype = 0x0000001A;
    EXPECT_EQ(CameraText::format(unprintable), QString::fromUtf8("0\u00d70 0x0000001A"));

    EXPECT_EQ(CameraText::frameRate(MediaTime::make(1, 30)), QStringLiteral("30 fps"));
    EXPECT_EQ(CameraText::frameRate(MediaTime::make(1001, 30000)), QStringLiteral("29.97 fps"));
    EXPECT_EQ(CameraText::frameRate(MediaTime::make(1, 1000000)), QStringLiteral("1000000 fps"));
    EXPECT_EQ(CameraText::frameRate(MediaTime::make(0, 30)), QString::fromUtf8("\u2014"));
    EXPECT_EQ(CameraText::frameRate(MediaTime::make(-1, 30)), QString::fromUtf8("\u2014"));
    EXPECT_EQ(CameraText::frameRate(MediaTime::invalid()), QString::fromUtf8("\u2014"));
    EXPECT_EQ(CameraText::frameRate({1, 0, MediaTime::validFlag, 0}), QString::fromUtf8("\u2014"));

    EXPECT_EQ(CameraText::exposureMode(3), QStringLiteral("Custom"));
    EXPECT_EQ(CameraText::focusMode(3), QStringLiteral("3"));
    EXPECT_EQ(CameraText::whiteBalanceMode(-1), QStringLiteral("-1"));
    EXPECT_EQ(CameraText::colorSpace(3), QStringLiteral("Apple Log"));
    EXPECT_EQ(CameraText::colorSpace(7), QStringLiteral("7"));
    EXPECT_EQ(CameraText::pixelFormatName(QStringLiteral("dmb1")), QStringLiteral("MJPG"));
    EXPECT_EQ(CameraText::pixelFormatName(QStringLiteral("xf20")), QStringLiteral("P010"));
    EXPECT_EQ(CameraText::pixelFormatName(QStringLiteral("BGRA")), std::nullopt);
    EXPECT_EQ(CameraText::deviceType(CaptureDeviceType::deskViewCamera),
              QStringLiteral("Desk View"));
    EXPECT_EQ(CameraText::deviceType(QStringLiteral("AVCaptureDeviceTypeFutureThing")),
              QStringLiteral("FutureThing"));
}

TEST(MediaTime, ComparesAsTimes) {
    EXPECT_EQ(MediaTime::make(1, 30), MediaTime::make(2, 60));
    EXPECT_NE(MediaTime::make(1, 30), MediaTime::make(1, 25));
    EXPECT_EQ(MediaTime::invalid(), (MediaTime{5, 7, 0, 0}));
    EXPECT_NE(MediaTime::invalid(), MediaTime::make(0, 1));
    // Cross products past 64 bits still compare exactly.
    EXPECT_NE(MediaTime::make(INT64_MAX, 1000000000), MediaTime::make(INT64_MAX - 1, 1000000000));
}

TEST(CameraFormatSummary, TakesTheWidestRateSpan) {
    const auto summary = CameraFormatSummary::make(
        *videoFormat(1920, 1080, "yuvs", {rateRange(15, 30), rateRange(5, 10), rateRange(30, 60)}));
    EXPECT_EQ(summary.width, 1920);
    EXPECT_EQ(summary.minFPS, 5);
    EXPECT_EQ(summary.maxFPS, 60);
    EXPECT_EQ(summary.pixelFormat, QStringLiteral("yuvs"));
    const auto none = CameraFormatSummary::make(*videoFormat(1, 1, "jpeg"));
    EXPECT_EQ(none.minFPS, 0);
    EXPECT_EQ(none.maxFPS, 0);
    EXPECT_NE(summary.id, CameraFormatSummary::make(*videoFormat(1, 1, "jpeg")).id);
}

}  // namespace
}  // namespace tavrin
