#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "runtime/TruncatedInteger.h"

namespace tavrin {
namespace {

TEST(TruncatedInteger, DropsTheFractionTowardZeroWithinTheRange) {
    EXPECT_EQ(truncatedInteger<std::int32_t>(12.9), 12);
    EXPECT_EQ(truncatedInteger<std::int32_t>(-12.9), -12);
    EXPECT_EQ(truncatedInteger<std::int32_t>(-0.9), 0);
    // The ends of 32 bits, and fractions beyond them that still truncate into the range.
    EXPECT_EQ(truncatedInteger<std::int32_t>(2147483647.999), INT32_MAX);
    EXPECT_EQ(truncatedInteger<std::int32_t>(-2147483648.999), INT32_MIN);
    EXPECT_EQ(truncatedInteger<std::int32_t>(2147483648.0), std::nullopt);
    EXPECT_EQ(truncatedInteger<std::int32_t>(-2147483649.0), std::nullopt);
    EXPECT_EQ(truncatedInteger<std::int32_t>(3e9), std::nullopt);
    // 64 bits: -2^63 is a double and fits; 2^63 doesn't.
    EXPECT_EQ(truncatedInteger<std::int64_t>(-9223372036854775808.0), INT64_MIN);
    EXPECT_EQ(truncatedInteger<std::int64_t>(9223372036854775808.0), std::nullopt);
    EXPECT_EQ(truncatedInteger<std::int64_t>(3e9), 3000000000);
    for (const double notANumber : {double(NAN), double(INFINITY), -double(INFINITY)}) {
        EXPECT_EQ(truncatedInteger<std::int32_t>(notANumber), std::nullopt);
        EXPECT_EQ(truncatedInteger<std::int64_t>(notANumber), std::nullopt);
    }
}

}  // namespace
}  // namespace tavrin
