#include <gtest/gtest.h>

#include "runtime/FourCharCode.h"

namespace tavrin {
namespace {

TEST(FourCharCode, PacksTheFirstCharacterIntoTheMostSignificantByte) {
    static_assert(fourCC("glob") == 0x676C6F62);
    EXPECT_EQ(fourCharCodeFromText(u"glob"), 0x676C6F62u);
    EXPECT_EQ(fourCharCodeFromText(u"usb "), 0x75736220u);
    EXPECT_FALSE(fourCharCodeFromText(u"usb"));
    EXPECT_FALSE(fourCharCodeFromText(u"usb  "));
    EXPECT_FALSE(fourCharCodeFromText(u"us\u2192b"));
}

TEST(FourCharCode, TextIsTheCharactersOnlyWhenAllArePrintable) {
    EXPECT_EQ(fourCharCodeText(fourCC("420v")), QStringLiteral("420v"));
    EXPECT_EQ(fourCharCodeText(fourCC("pci ")), QStringLiteral("pci "));
    EXPECT_EQ(fourCharCodeText(0x20202020), QStringLiteral("    "));
    EXPECT_EQ(fourCharCodeText(0x7E7E7E7E), QStringLiteral("~~~~"));
    EXPECT_EQ(fourCharCodeText(0x0000001F), QStringLiteral("0x0000001F"));
    EXPECT_EQ(fourCharCodeText(0x6A70677F), QStringLiteral("0x6A70677F"));  // DEL is not printable
    EXPECT_EQ(fourCharCodeText(0xFFFFFFFF), QStringLiteral("0xFFFFFFFF"));
}

TEST(FourCharCode, TypeCodeTextDropsApostrophes) {
    EXPECT_EQ(hfsTypeCodeText(fourCC("abcd")), QStringLiteral("abcd"));
    EXPECT_EQ(hfsTypeCodeText(fourCC("a'b'")), QStringLiteral("ab"));
}

}  // namespace
}  // namespace tavrin
