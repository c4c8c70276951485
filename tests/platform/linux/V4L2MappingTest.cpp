#include <gtest/gtest.h>
#include <linux/videodev2.h>

#include "support/QtPrinters.h"

#include "platform/linux/V4L2Mapping.h"
#include "uvc/UVCDescriptors.h"

namespace tavrin {
namespace {

using namespace V4L2Mapping;

TEST(V4L2Mapping, PixelFormatsReadAsTheirFourCharacters) {
    EXPECT_EQ(fourCharCode(V4L2_PIX_FMT_YUYV), fourCC("YUYV"));
    EXPECT_EQ(fourCharCode(V4L2_PIX_FMT_MJPEG), fourCC("MJPG"));
    EXPECT_EQ(fourCharCode(V4L2_PIX_FMT_NV12), fourCC("NV12"));
    EXPECT_EQ(fourCharCodeText(fourCharCode(V4L2_PIX_FMT_H264)), QStringLiteral("H264"));
    EXPECT_EQ(pixelFormat(fourCC("YUYV")), std::uint32_t(V4L2_PIX_FMT_YUYV));
    EXPECT_EQ(pixelFormat(fourCharCode(0xdeadbeef)), 0xdeadbeefU);
}

TEST(V4L2Mapping, AStepwiseRangeOffersTheStandardSizesOnItsGrid) {
    EXPECT_EQ(standardSizesWithin({16, 16}, {1920, 1080}, {2, 2}), (QList<QSize>{{160, 120},
                                                                                 {176, 144},
                                                                                 {320, 180},
                                                                                 {320, 240},
                                                                                 {352, 288},
                                                                                 {640, 360},
                                                                                 {640, 480},
                                                                                 {800, 600},
                                                                                 {960, 540},
                                                                                 {1024, 768},
                                                                                 {1280, 720},
                                                                                 {1280, 960},
                                                                                 {1920, 1080}}));
    // A grid of 64 from 64 keeps only the sizes on it.
    EXPECT_EQ(standardSizesWithin({64, 64}, {1280, 960}, {64, 64}),
              (QList<QSize>{{1024, 768}, {1280, 960}}));
}

TEST(V4L2Mapping, ARangeWithoutAStandardSizeOffersItsMaximumAndABrokenOneNothing) {
    EXPECT_EQ(standardSizesWithin({100, 100}, {150, 110}, {1, 1}), (QList<QSize>{{150, 110}}));
    EXPECT_TRUE(standardSizesWithin({0, 0}, {640, 480}, {1, 1}).isEmpty());
    EXPECT_TRUE(standardSizesWithin({640, 480}, {320, 240}, {1, 1}).isEmpty());
    // A zero step is read as any size.
    EXPECT_EQ(standardSizesWithin({640, 480}, {640, 480}, {0, 0}), (QList<QSize>{{640, 480}}));
}

TEST(V4L2Mapping, FrameIntervalsBecomeFrameRateRanges) {
    const auto discrete = frameRateRange(1, 30, 1, 30);
    ASSERT_TRUE(discrete);
    EXPECT_DOUBLE_EQ(discrete->minFrameRate, 30);
    EXPECT_DOUBLE_EQ(discrete->maxFrameRate, 30);
    EXPECT_EQ(discrete->minFrameDuration, MediaTime::make(1, 30));
    // 2/15 s is 7.5 fps, kept exact.
    const auto slow = frameRateRange(2, 15, 2, 15);
    ASSERT_TRUE(slow);
    EXPECT_DOUBLE_EQ(slow->maxFrameRate, 7.5);
    EXPECT_EQ(slow->minFrameDuration, MediaTime::make(2, 15));
    // A span, in either order, runs from the longest interval's rate to the shortest's.
    for (const auto& span : {frameRateRange(1, 60, 1, 1), frameRateRange(1, 1, 1, 60)}) {
        ASSERT_TRUE(span);
        EXPECT_DOUBLE_EQ(span->minFrameRate, 1);
        EXPECT_DOUBLE_EQ(span->maxFrameRate, 60);
        EXPECT_EQ(span->minFrameDuration, MediaTime::make(1, 60));
        EXPECT_EQ(span->maxFrameDuration, MediaTime::make(1, 1));
    }
    // 1001/30000 (NTSC) reduces but stays exact.
    EXPECT_EQ(frameRateRange(1001, 30000, 1001, 30000)->minFrameDuration,
              MediaTime::make(1001, 30000));
}

TEST(V4L2Mapping, AZeroTermGivesNoRange) {
    EXPECT_FALSE(frameRateRange(1, 0, 1, 30));
    EXPECT_FALSE(frameRateRange(0, 30, 1, 30));
    EXPECT_FALSE(frameRateRange(1, 30, 1, 0));
    EXPECT_FALSE(frameRateRange(1, 30, 0, 1));
    // Huge terms neither overflow nor divide by zero.
    const auto huge = frameRateRange(1, 0xffffffffU, 0xffffffffU, 1);
    ASSERT_TRUE(huge);
    EXPECT_GT(huge->maxFrameRate, huge->minFrameRate);
}

TEST(V4L2Mapping, ColorspacesHaveNamesAndShowAsTheNearestCaptureColourSpace) {
    EXPECT_EQ(colorspaceName(V4L2_COLORSPACE_SRGB), QStringLiteral("sRGB"));
    EXPECT_EQ(colorspaceName(V4L2_COLORSPACE_REC709), QStringLiteral("Rec. 709"));
    EXPECT_EQ(colorspaceName(V4L2_COLORSPACE_BT2020), QStringLiteral("BT.2020"));
    EXPECT_EQ(colorspaceName(99), QStringLiteral("colorspace 99"));
    EXPECT_EQ(captureColorSpace(V4L2_COLORSPACE_SRGB), 0);
    EXPECT_EQ(captureColorSpace(V4L2_COLORSPACE_REC709), 0);
    EXPECT_EQ(captureColorSpace(V4L2_COLORSPACE_JPEG), 0);
    EXPECT_EQ(captureColorSpace(V4L2_COLORSPACE_DEFAULT), 0);
    EXPECT_EQ(captureColorSpace(V4L2_COLORSPACE_DCI_P3), 1);
    EXPECT_EQ(captureColorSpace(V4L2_COLORSPACE_BT2020), 2);
}

TEST(V4L2Mapping, ExposureModesMapBothWays) {
    EXPECT_EQ(exposureMode(V4L2_EXPOSURE_AUTO), 2);
    EXPECT_EQ(exposureMode(V4L2_EXPOSURE_APERTURE_PRIORITY), 2);
    EXPECT_EQ(exposureMode(V4L2_EXPOSURE_MANUAL), 0);
    EXPECT_EQ(exposureMode(V4L2_EXPOSURE_SHUTTER_PRIORITY), 3);
    EXPECT_EQ(exposureMode(42), 2);
    // A typical UVC menu offers manual and aperture priority only.
    const QList<std::int32_t> uvc{V4L2_EXPOSURE_MANUAL, V4L2_EXPOSURE_APERTURE_PRIORITY};
    EXPECT_EQ(exposureAutoValue(2, uvc), V4L2_EXPOSURE_APERTURE_PRIORITY);
    EXPECT_EQ(exposureAutoValue(0, uvc), V4L2_EXPOSURE_MANUAL);
    EXPECT_FALSE(exposureAutoValue(3, uvc));
    EXPECT_FALSE(exposureAutoValue(1, uvc));  // no one-shot exposure in V4L2
    EXPECT_EQ(exposureAutoValue(2, {V4L2_EXPOSURE_AUTO, V4L2_EXPOSURE_APERTURE_PRIORITY}),
              V4L2_EXPOSURE_AUTO);
}

TEST(V4L2Mapping, AutoSwitchesAreContinuousOrLocked) {
    EXPECT_EQ(autoSwitchMode(true), 2);
    EXPECT_EQ(autoSwitchMode(false), 0);
    EXPECT_EQ(autoSwitchValue(2), true);
    EXPECT_EQ(autoSwitchValue(0), false);
    EXPECT_FALSE(autoSwitchValue(1));
}

TEST(V4L2Mapping, LocationIDsPackTheBusAndOneNibblePerPort) {
    EXPECT_EQ(usbLocationID(1, QStringLiteral("4")), 0x01400000U);
    EXPECT_EQ(usbLocationID(3, QStringLiteral("1.4.2")), 0x03142000U);
    EXPECT_EQ(usbLocationID(255, QStringLiteral("15.15.15.15.15.15")), 0xffffffffU);
}

TEST(V4L2Mapping, PortPathsThatDontFitAreNotPackedAtAll) {
    EXPECT_FALSE(usbLocationID(1, QStringLiteral("16")));
    EXPECT_FALSE(usbLocationID(1, QStringLiteral("1.2.3.4.5.6.7")));  // a seventh tier
    EXPECT_FALSE(usbLocationID(1, QStringLiteral("0")));
    EXPECT_FALSE(usbLocationID(256, QStringLiteral("1")));
    EXPECT_FALSE(usbLocationID(1, QString()));
    EXPECT_FALSE(usbLocationID(1, QStringLiteral("1..2")));
    EXPECT_FALSE(usbLocationID(1, QStringLiteral("1.x")));
}

TEST(V4L2Mapping, UniqueIDsLeadTheUsbControllerToTheLocationOrNowhere) {
    const auto id = usbUniqueID(0x01400000U, 0x046d, 0x082d);
    EXPECT_EQ(id, QStringLiteral("0x01400000046d082d"));
    EXPECT_TRUE(locationIDCandidates(id).contains(0x01400000U));
    const auto unpacked = unpackedUsbUniqueID(1, QStringLiteral("1.16.2"), 0x046d, 0x082d);
    EXPECT_EQ(unpacked, QStringLiteral("usb:1-1.16.2:046d:082d"));
    EXPECT_TRUE(locationIDCandidates(unpacked).isEmpty());
    EXPECT_EQ(driverUniqueID(QStringLiteral("vivid"), QStringLiteral("platform:vivid-000")),
              QStringLiteral("v4l2:vivid:platform:vivid-000"));
}

}  // namespace
}  // namespace tavrin
