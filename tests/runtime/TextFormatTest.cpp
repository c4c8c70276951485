#include <gtest/gtest.h>

#include <cmath>

#include "runtime/TextFormat.h"
#include "support/TestEnvironment.h"

namespace tavrin {
namespace {

using testing::ScopedLocale;

TEST(TextFormat, FixedTexts) {
    EXPECT_EQ(yesNoText(true), QStringLiteral("yes"));
    EXPECT_EQ(yesNoText(false), QStringLiteral("no"));
    EXPECT_EQ(absentText(), QString::fromUtf8("\u2014"));
    EXPECT_EQ(optionalText(std::optional<int>(), [](int) { return QStringLiteral("x"); }),
              absentText());
}

TEST(TextFormat, NumbersUseTheLocaleWithUpToTwoFractionDigits) {
    struct Case {
        double value;
        const char* grouped;
        const char* ungrouped;
    };
    {
        ScopedLocale english(QLocale(QLocale::English, QLocale::UnitedStates));
        for (const auto& c :
             {Case{48000, "48,000", "48000"}, Case{29.97, "29.97", "29.97"},
              Case{0.5, "0.5", "0.5"}, Case{2.0, "2", "2"}, Case{59.94006, "59.94", "59.94"},
              Case{1.999, "2", "2"}, Case{-0.001, "0", "0"},
              Case{1234567.891, "1,234,567.89", "1234567.89"}}) {
            EXPECT_EQ(localizedNumberText(c.value), QString::fromUtf8(c.grouped)) << c.value;
            EXPECT_EQ(localizedNumberTextWithoutGrouping(c.value), QString::fromUtf8(c.ungrouped))
                << c.value;
        }
    }
    {
        ScopedLocale german(QLocale(QLocale::German, QLocale::Germany));
        EXPECT_EQ(localizedNumberText(48000), QStringLiteral("48.000"));
        EXPECT_EQ(localizedNumberText(29.97), QStringLiteral("29,97"));
        EXPECT_EQ(localizedNumberTextWithoutGrouping(1.5), QStringLiteral("1,5"));
    }
}

TEST(TextFormat, NonFiniteNumbersDoNotCrash) {
    ScopedLocale english(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_FALSE(localizedNumberText(std::nan("")).isEmpty());
    EXPECT_FALSE(localizedNumberText(INFINITY).isEmpty());
    EXPECT_EQ(localizedNumberTextWithoutGrouping(1e300).size(), 301);
}

}  // namespace
}  // namespace tavrin
