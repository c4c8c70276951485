#include <gtest/gtest.h>

#include "display/DisplayArrangement.h"
#include "display/DisplayDevice.h"
#include "support/TestEnvironment.h"

namespace tavrin {
namespace {

using namespace DisplayArrangement;

TEST(DisplayArrangement, LayoutCentresAndLimitsATallDisplayTo180Points) {
    const QList<Placed> displays{{1, QRectF(0, 0, 1512, 982)}, {2, QRectF(1512, -200, 2560, 1440)}};
    const auto layout = Layout::make(displays, QSizeF(600, 240));
    EXPECT_EQ(layout.bounds, QRectF(0, -200, 4072, 1440));
    // The 1440-point-high display limits the scale to 180 / 1440, below both fits.
    EXPECT_DOUBLE_EQ(layout.scale, 0.125);
    EXPECT_EQ(layout.canvasOffset, QPointF((600 - 509) / 2.0, (240 - 180) / 2.0));
    EXPECT_EQ(layout.canvasRect(displays[1].frame), QRectF(45.5 + 189, 30, 320, 180));

    // A very tall display in a wide canvas: at most 180 points high.
    const QList<Placed> tall{{1, QRectF(0, 0, 1000, 4000)}};
    const auto limited = Layout::make(tall, QSizeF(4000, 2000));
    EXPECT_NEAR(limited.canvasRect(tall[0].frame).height(), 180, 1e-9);
    EXPECT_NEAR(limited.canvasOffset.x(), (4000 - 45) / 2.0, 1e-9);

    const auto empty = Layout::make({}, QSizeF(300, 200));
    EXPECT_EQ(empty.bounds, QRectF(0, 0, 1, 1));
    EXPECT_DOUBLE_EQ(empty.scale, 176);
}

TEST(DisplayArrangement, ASingleDisplayNeverMoves) {
    const Placed only{1, QRectF(0, 0, 1920, 1080)};
    EXPECT_EQ(snappedOrigin(only, QPointF(50, 30), {only}, 0.1), QPointF(0, 0));
    EXPECT_EQ(snappedOrigin(only, QPointF(50, 30), {only}, 0), QPointF(0, 0));
}

TEST(DisplayArrangement, DropsSnapToFreeEdgesAndAlignWithinTenPoints) {
    const Placed main{1, QRectF(0, 0, 1000, 600)};
    const Placed moved{2, QRectF(1000, 0, 800, 600)};
    const double scale = 0.1;  // 10 canvas points are 100 global points
    // Dropped over the main display: the nearest free place beside, above or below it, here
    // below it and aligned with its left edge.
    EXPECT_EQ(snappedOrigin(moved, QPointF(-90, 5), {main, moved}, scale), QPointF(0, 600));
    // Near the top edge: flush with it.
    EXPECT_EQ(snappedOrigin(moved, QPointF(0, 8), {main, moved}, scale), QPointF(1000, 0));
    // Beyond the tolerance it stays where dropped (beside the display).
    EXPECT_EQ(snappedOrigin(moved, QPointF(0, 15), {main, moved}, scale), QPointF(1000, 150));
    // Below: aligned to the left edge.
    EXPECT_EQ(snappedOrigin(moved, QPointF(-95, 70), {main, moved}, scale), QPointF(0, 600));
}

TEST(DisplayArrangement, ACandidateOverlappingAThirdDisplayIsSkipped) {
    const Placed main{1, QRectF(0, 0, 1000, 600)};
    const Placed right{3, QRectF(1000, 0, 800, 600)};
    const Placed moved{2, QRectF(0, 600, 800, 600)};
    // Dropped at (1000, 0), on top of the third display. Right of the main display, (1000, 0)
    // overlaps the third; left of the third, (200, 0) overlaps the main one. Above and below the
    // main one, x is held to 999, a point farther. Above and below the third, at x 1000, are both
    // exactly 600 away, nearer than the rest: the first generated, above, wins the tie.
    const auto origin = snappedOrigin(moved, QPointF(100, -60), {main, right, moved}, 0.1);
    EXPECT_EQ(origin, QPointF(1000, -600));
    const QRectF landed(origin, QSizeF(800, 600));
    EXPECT_FALSE(landed.adjusted(1, 1, -1, -1).intersects(main.frame));
    EXPECT_FALSE(landed.adjusted(1, 1, -1, -1).intersects(right.frame));
}

TEST(DisplayArrangement, TheDropSetsOnlyANewOriginThatFitsThirtyTwoBits) {
    // Equal once the fractions are dropped: nothing to set.
    EXPECT_EQ(originToSet(QPointF(1000.7, -599.2), QPointF(1000.2, -599.9)), std::nullopt);
    EXPECT_EQ(originToSet(QPointF(0, 600), QPointF(1000, 0)), (IntegerOrigin{0, 600}));
    EXPECT_EQ(originToSet(QPointF(-0.5, 10.9), QPointF(5, 5)), (IntegerOrigin{0, 10}));
    // The extremes of 32 bits fit; one past them, or no number at all, is never sent.
    EXPECT_EQ(originToSet(QPointF(2147483647.9, -2147483648.9), QPointF(0, 0)),
              (IntegerOrigin{2147483647, -2147483648}));
    for (const auto& snapped : {QPointF(3e9, 0), QPointF(0, -3e9), QPointF(2147483648, 0),
                                QPointF(0, -2147483649), QPointF(NAN, 0), QPointF(0, INFINITY)}) {
        EXPECT_EQ(originToSet(snapped, QPointF(0, 0)), std::nullopt)
            << snapped.x() << ", " << snapped.y();
    }
    // A display whose current origin doesn't fit can still be moved to one that does.
    EXPECT_EQ(originToSet(QPointF(100, 0), QPointF(3e9, 0)), (IntegerOrigin{100, 0}));

    // Dragging a lone display gives its own origin back: no call.
    const Placed only{1, QRectF(40.5, 0, 1920, 1080)};
    EXPECT_EQ(originToSet(snappedOrigin(only, QPointF(50, 30), {only}, 0.1), only.frame.topLeft()),
              std::nullopt);
}

TEST(DisplayArrangement, TheRubberBandNeverReachesTenPoints) {
    const auto pull = rubberBandOffset(QPointF(1e6, -1e6), QPointF(0, 0), QPointF(0, 0), 0.1);
    EXPECT_LT(pull.x(), 10);
    EXPECT_GT(pull.x(), 9.99);
    EXPECT_GT(pull.y(), -10);
    EXPECT_EQ(rubberBandOffset(QPointF(20, 0), QPointF(200, 0), QPointF(0, 0), 0.1), QPointF(0, 0));
    EXPECT_NEAR(rubberBandOffset(QPointF(200, 0), QPointF(0, 0), QPointF(0, 0), 1).x(), 5, 1e-12);
}

TEST(DisplayArrangement, TheMenuBarMovesOnlyToAnotherDisplay) {
    const QList<Placed> displays{{1, QRectF(0, 0, 1000, 600)}, {2, QRectF(1000, 0, 1000, 600)}};
    const auto layout = Layout::make(displays, QSizeF(400, 200));
    const auto second = layout.canvasRect(displays[1].frame).center();
    const auto first = layout.canvasRect(displays[0].frame).center();
    EXPECT_EQ(menuBarDropTarget(second, displays, layout, 1), 2u);
    EXPECT_EQ(menuBarDropTarget(first, displays, layout, 1), std::nullopt);
    EXPECT_EQ(menuBarDropTarget(QPointF(-50, -50), displays, layout, 1), std::nullopt);
}

TEST(DisplayArrangement, MirroringDisplaysGroupWithTheirPrimary) {
    testing::TestEnvironment env;
    auto& services = env.fake().fakeDisplayServices();
    QList<std::shared_ptr<DisplayDevice>> displays;
    for (const DisplayID id : {1u, 2u, 3u, 4u}) {
        FakeDisplayHardware hardware;
        hardware.mirrorOf = id == 2 || id == 3 ? 1 : (id == 4 ? 99 : 0);
        services.setDisplay(id, hardware);
        displays.append(DisplayDevice::create(
            env.context(), std::make_shared<SXDisplay>(id, SXDisplay::Values{})));
    }
    const auto groups = mirrorGroups(displays);
    ASSERT_EQ(groups.size(), 3);
    EXPECT_EQ(groups[0].primary->id(), 1u);
    EXPECT_EQ(groups[0].secondary->id(), 2u);
    EXPECT_EQ(groups[1].primary->id(), 3u);
    EXPECT_FALSE(groups[1].secondary);
    EXPECT_EQ(groups[2].primary->id(), 4u);

    displays[3]->setAvailability(SXAvailability::notConnected());
    EXPECT_EQ(displaysOnCanvas(displays).size(), 3);
}

}  // namespace
}  // namespace tavrin
