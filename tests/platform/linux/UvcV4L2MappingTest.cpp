#include <gtest/gtest.h>
#include <linux/videodev2.h>

#include <array>
#include <set>

#include "platform/linux/UvcV4L2Mapping.h"

namespace tavrin {
namespace {

using namespace UvcV4L2Mapping;

TEST(UvcV4L2Mapping, AValueFitsItsBytesOnlyWhereItReadsBackTheSameWithItsSign) {
    struct Case {
        std::int64_t value;
        int bytes;
        bool isSigned;
        bool fits;
    };
    const Case cases[] = {
        {255, 1, false, true},         {256, 1, false, false},       {-1, 1, false, false},
        {127, 1, true, true},          {128, 1, true, false},        {-128, 1, true, true},
        {-129, 1, true, false},        {65535, 2, false, true},      {65536, 2, false, false},
        {40000, 2, true, false},  // a signed brightness would read back -25536
        {-32768, 2, true, true},       {-32769, 2, true, false},     {4294967295, 4, false, true},
        {4294967296, 4, false, false}, {-2147483648, 4, true, true}, {2147483648, 4, true, false},
        {0, 0, false, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(fits(c.value, c.bytes, c.isSigned), c.fits)
            << c.value << " in " << c.bytes << (c.isSigned ? " signed" : " unsigned");
    }
}

TEST(UvcV4L2Mapping, ValuesTravelLittleEndianAndDecodeByTheirSignedness) {
    std::array<std::uint8_t, 4> bytes{};
    encode(-1, bytes.data(), 2);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xFF);
    EXPECT_EQ(bytes[2], 0x00);  // untouched beyond the length
    EXPECT_EQ(decode(bytes.data(), 2, true), -1);
    EXPECT_EQ(decode(bytes.data(), 2, false), 65535);
    encode(300, bytes.data(), 4);
    EXPECT_EQ(bytes, (std::array<std::uint8_t, 4>{0x2C, 0x01, 0x00, 0x00}));
    EXPECT_EQ(decode(bytes.data(), 4, true), 300);
    encode(-64, bytes.data(), 1);
    EXPECT_EQ(decode(bytes.data(), 1, true), -64);
    EXPECT_EQ(decode(bytes.data(), 1, false), 192);
}

TEST(UvcV4L2Mapping, ExposureModesMapBothWaysAndNothingElse) {
    const std::pair<std::int32_t, std::int64_t> pairs[] = {{V4L2_EXPOSURE_AUTO, 2},
                                                           {V4L2_EXPOSURE_MANUAL, 1},
                                                           {V4L2_EXPOSURE_SHUTTER_PRIORITY, 4},
                                                           {V4L2_EXPOSURE_APERTURE_PRIORITY, 8}};
    for (const auto& [item, bitmap] : pairs) {
        EXPECT_EQ(exposureBitmap(item), bitmap);
        EXPECT_EQ(exposureMenuItem(bitmap), item);
    }
    for (const std::int64_t bitmap : {0, 3, 16, 255, -1}) {
        EXPECT_FALSE(exposureMenuItem(bitmap)) << bitmap;
    }
    EXPECT_FALSE(exposureBitmap(4));
    EXPECT_FALSE(exposureBitmap(-1));
}

TEST(UvcV4L2Mapping, InfoComesFromTheControlFlags) {
    EXPECT_EQ(infoByte(0), 0x03);
    EXPECT_EQ(infoByte(V4L2_CTRL_FLAG_READ_ONLY), 0x01);
    EXPECT_EQ(infoByte(V4L2_CTRL_FLAG_WRITE_ONLY), 0x02);
    EXPECT_EQ(infoByte(V4L2_CTRL_FLAG_INACTIVE), 0x07);
    EXPECT_EQ(infoByte(V4L2_CTRL_FLAG_VOLATILE | V4L2_CTRL_FLAG_READ_ONLY), 0x09);
}

TEST(UvcV4L2Mapping, TheTableMapsEachSelectorOnceAndOnlyBrightnessAndHueAreSigned) {
    std::set<std::pair<UvcEntity, std::uint8_t>> selectors;
    std::set<std::uint32_t> ids;
    for (const auto& control : table()) {
        EXPECT_TRUE(selectors.insert({control.entity, control.selector}).second) << control.name;
        EXPECT_TRUE(ids.insert(control.v4l2ID).second) << control.name;
        EXPECT_EQ(find(control.entity, control.selector), &control);
        EXPECT_EQ(control.kind == UvcValueKind::signedNumber,
                  control.v4l2ID == V4L2_CID_BRIGHTNESS || control.v4l2ID == V4L2_CID_HUE)
            << control.name;
    }
    EXPECT_EQ(table().size(), 18u);
    EXPECT_EQ(find(UvcEntity::cameraTerminal, 0x11)->v4l2ID, std::uint32_t(V4L2_CID_PRIVACY));
    EXPECT_EQ(find(UvcEntity::processingUnit, 0x0B)->v4l2ID,
              std::uint32_t(V4L2_CID_AUTO_WHITE_BALANCE));
    // Selectors the driver leaves unmapped, and a camera selector asked of the processing unit.
    EXPECT_FALSE(find(UvcEntity::processingUnit, 0x0C));
    EXPECT_FALSE(find(UvcEntity::cameraTerminal, 0x03));
    EXPECT_FALSE(find(UvcEntity::processingUnit, 0x11));
}

}  // namespace
}  // namespace tavrin
