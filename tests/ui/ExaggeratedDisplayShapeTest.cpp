#include <gtest/gtest.h>

#include "ui/ExaggeratedDisplayShape.h"

namespace tavrin {
namespace {

using Kind = ExaggeratedDisplayShape::Kind;

TEST(ExaggeratedDisplayShape, ABuiltInDisplayHasRoundedTopCornersAndACentredNotch) {
    const QRectF tile(10, 20, 200, 100);
    // 15 % of the width, 5 % of the height deep, on the top edge's middle.
    EXPECT_EQ(ExaggeratedDisplayShape::notch(tile), QRectF(95, 20, 30, 5));
    EXPECT_DOUBLE_EQ(ExaggeratedDisplayShape::topCornerRadius(tile), 5);

    const auto notched = ExaggeratedDisplayShape(Kind::roundedWithNotch).path(tile);
    EXPECT_FALSE(notched.contains(QPointF(110, 22))) << "inside the notch";
    EXPECT_TRUE(notched.contains(QPointF(110, 27))) << "below the notch";
    EXPECT_TRUE(notched.contains(QPointF(60, 21))) << "beside the notch";
    EXPECT_FALSE(notched.contains(QPointF(10.5, 20.5))) << "a rounded top corner";
    EXPECT_TRUE(notched.contains(QPointF(10.5, 119.5))) << "a square bottom corner";

    const auto rounded = ExaggeratedDisplayShape(Kind::rounded).path(tile);
    EXPECT_TRUE(rounded.contains(QPointF(110, 22)));
    EXPECT_FALSE(rounded.contains(QPointF(10.5, 20.5)));
    EXPECT_TRUE(
        ExaggeratedDisplayShape(Kind::rectangular).path(tile).contains(QPointF(10.5, 20.5)));
}

TEST(ExaggeratedDisplayShape, SmallAndFlatTilesKeepTheirMinimumsAndStillClose) {
    const QRectF flat(0, 0, 40, 12);
    // Depth and radius never fall below 2 and 3 points.
    EXPECT_DOUBLE_EQ(ExaggeratedDisplayShape::notch(flat).height(), 2);
    EXPECT_DOUBLE_EQ(ExaggeratedDisplayShape::topCornerRadius(flat), 3);
    for (const QRectF tile : {flat, QRectF(0, 0, 6, 4), QRectF(0, 0, 1, 1)}) {
        const auto path = ExaggeratedDisplayShape(Kind::roundedWithNotch).path(tile);
        EXPECT_TRUE(tile.adjusted(-1e-9, -1e-9, 1e-9, 1e-9).contains(path.boundingRect()));
        EXPECT_TRUE(path.contains(QPointF(tile.center().x(), tile.bottom() - 0.25)));
    }
}

}  // namespace
}  // namespace tavrin
