#include <gtest/gtest.h>

#include <QSet>
#include <algorithm>

#include "support/UvcFixtures.h"
#include "uvc/UVCDescriptors.h"
#include "uvc/UVCValue.h"

namespace tavrin {
namespace {

using testing::bytes;

QSet<std::uint32_t> candidates(const char* uniqueID) {
    const auto list = locationIDCandidates(QString::fromLatin1(uniqueID));
    return QSet<std::uint32_t>(list.begin(), list.end());
}

TEST(LocationIDCandidates, TheUpperHalfOfAHexIDAndEveryEightDigitWindow) {
    // 0x1420000046d0825: upper half 0x01420000; windows "14200000", "42000004", ... "046d0825".
    const auto found = candidates("0x1420000046d0825");
    EXPECT_TRUE(found.contains(0x01420000u));
    EXPECT_TRUE(found.contains(0x14200000u));
    EXPECT_TRUE(found.contains(0x046d0825u));
    EXPECT_EQ(found.size(), 9);  // the upper half and eight windows from "14200000" to "046d0825"

    // Exactly 16 digits after "0x".
    const auto full = candidates("0xFA12000005ac8514");
    EXPECT_TRUE(full.contains(0xFA120000u));
    EXPECT_TRUE(full.contains(0x05ac8514u));
    EXPECT_EQ(full.size(), 9);
}

TEST(LocationIDCandidates, OnlyWhatTheTextAllows) {
    EXPECT_TRUE(candidates("").isEmpty());
    EXPECT_TRUE(candidates("0x").isEmpty());
    EXPECT_TRUE(candidates("1234567").isEmpty());  // fewer than 8 characters
    EXPECT_TRUE(candidates("Built-in HD Camera").isEmpty());
    EXPECT_TRUE(candidates("0x1234567g").isEmpty());  // the 64-bit parse fails, no window fits
    // A "0x" number that overflows 64 bits still has its windows.
    EXPECT_TRUE(candidates("0x1000000000000000012345678").contains(0x12345678u));
    // Leading zeros do not overflow.
    EXPECT_TRUE(candidates("0x0000000000000001ABCDEF12").contains(0x00000001u));
    // A "0x" inside the text is skipped over by the window that starts on it.
    EXPECT_EQ(candidates("usb-0xDEADBEEF"), (QSet<std::uint32_t>{0xDEADBEEFu}));
    EXPECT_EQ(candidates("12345678"), (QSet<std::uint32_t>{0x12345678u}));
    // Windows of non-hex text, or with signs, are not numbers.
    EXPECT_TRUE(candidates("+1234567 -1234567").isEmpty());
}

TEST(UVCDescriptors, ARealWebcamYieldsItsCameraTerminalAndProcessingUnit) {
    const auto descriptors =
        classSpecificInterfaceDescriptors(testing::webcamVideoControlDescriptors());
    EXPECT_EQ(descriptors.size(), 5);  // up to the streaming interface, endpoints skipped
    EXPECT_EQ(readUnitIDs(descriptors),
              (UVCUnitIDs{testing::webcamCameraTerminal, testing::webcamProcessingUnit}));
}

TEST(UVCDescriptors, MalformedBytesEndTheWalkWithWhatWasFound) {
    const auto processingUnit = bytes({0x0B, 0x24, 0x05, 0x07, 0x01, 0x00, 0x00, 0x02, 0, 0, 0});
    const auto camera =
        bytes({0x12, 0x24, 0x02, 0x09, 0x01, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0});
    struct Case {
        const char* name;
        QByteArray bytes;
        UVCUnitIDs expected;
    };
    const Case cases[] = {
        {"empty", {}, {}},
        {"one byte", bytes({0x0B}), {}},
        {"zero length", bytes({0x00, 0x24, 0x05, 0x07}) + camera, {}},
        {"length one", bytes({0x01, 0x24}) + camera, {}},
        {"runs past the end", processingUnit + bytes({0x40, 0x24, 0x02, 0x09, 0x01, 0x02}), {0, 7}},
        {"truncated unit", processingUnit.left(5), {}},
        {"too short for its subtype",
         bytes({0x03, 0x24, 0x05}) + bytes({0x07, 0x24, 0x02, 0x05, 0x01, 0x02, 0x00}),
         {}},
        {"not a camera terminal", bytes({0x08, 0x24, 0x02, 0x05, 0x01, 0x01, 0x00, 0x00}), {}},
        {"later overwrites earlier",
         processingUnit + camera + bytes({0x04, 0x24, 0x05, 0x0A}),
         {9, 10}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(readUnitIDs(classSpecificInterfaceDescriptors(c.bytes)), c.expected) << c.name;
    }
    // A descriptor list of claimed lengths larger than what was sent is read within the bytes.
    EXPECT_EQ(readUnitIDs({bytes({0x0B, 0x24, 0x05})}), UVCUnitIDs{});
}

TEST(UVCDescriptors, DescriptorsHandedInDirectlyAreMeasuredBeforeAnyByteIsRead) {
    // Nothing of an empty descriptor is read, not even its length byte: here the byte after the
    // end of its storage would claim a processing unit.
    const char storage[] = {0x0B, 0x24, 0x05, 0x07};
    EXPECT_EQ(readUnitIDs({QByteArray::fromRawData(storage, 0)}), UVCUnitIDs{});
    EXPECT_EQ(readUnitIDs({QByteArray()}), UVCUnitIDs{});
    EXPECT_EQ(readUnitIDs({bytes({0x0B}), bytes({0x0B, 0x24})}), UVCUnitIDs{});
    // Raw bytes taken as one descriptor, as the fuzz target hands them in.
    EXPECT_EQ(readUnitIDs({bytes({0x0B, 0x24, 0x05, 0x07, 0, 0, 0, 0, 0, 0, 0})}),
              (UVCUnitIDs{0, 7}));
}

TEST(UVCDescriptors, BytesThatBeginWithTheInterfaceItselfStillGiveTheUnitIDs) {
    // The video-control interface's own descriptor: interface 0, class 14, subclass 1.
    const auto interface = bytes({0x09, 0x04, 0x00, 0x00, 0x01, 0x0E, 0x01, 0x00, 0x00});
    const auto descriptors =
        classSpecificInterfaceDescriptors(interface + testing::webcamVideoControlDescriptors());
    EXPECT_EQ(descriptors.size(), 5);  // and the streaming interface further on still ends it
    EXPECT_EQ(readUnitIDs(descriptors),
              (UVCUnitIDs{testing::webcamCameraTerminal, testing::webcamProcessingUnit}));
    // Only the leading one is skipped: two interfaces in a row end the walk at the second.
    EXPECT_TRUE(classSpecificInterfaceDescriptors(interface + interface +
                                                  testing::webcamVideoControlDescriptors())
                    .isEmpty());
}

TEST(UVCValue, DecodesBySizeWithSignAndEncodesLittleEndian) {
    EXPECT_EQ(decodeUVCValue(bytes({0xFF, 0xFF})), -1);
    EXPECT_EQ(decodeUVCValue(bytes({0x00, 0x80})), -32768);  // a 2-byte maximum above 32767
    EXPECT_EQ(decodeUVCValue(bytes({0x2C, 0x01, 0x00, 0x00})), 300);
    EXPECT_EQ(decodeUVCValue(bytes({0xFF, 0xFF, 0xFF, 0x7F})), 2147483647);
    EXPECT_EQ(decodeUVCValue(bytes({0x80})), -128);
    EXPECT_EQ(decodeUVCValue(bytes({0x01, 0x02, 0x03})), 0);
    EXPECT_EQ(decodeUVCValue({}), 0);
    EXPECT_EQ(encodeUVCValue(-1, 2), bytes({0xFF, 0xFF}));
    EXPECT_EQ(encodeUVCValue(300, 4), bytes({0x2C, 0x01, 0x00, 0x00}));
    EXPECT_EQ(encodeUVCValue(-1, 10),
              bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0}));
    EXPECT_EQ(encodeUVCValue(5, 0), QByteArray());
    EXPECT_EQ(encodeUVCValue(5, -3), QByteArray());
}

}  // namespace
}  // namespace tavrin
