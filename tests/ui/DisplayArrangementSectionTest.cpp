#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include "catalogue/DeviceStore.h"
#include "display/DisplayDevice.h"
#include "display/DisplayDiscovery.h"
#include "ui/DisplayArrangementSection.h"
#include "ui/UiTestEnvironment.h"
#include "ui/WindowState.h"

namespace tavrin {
namespace {

using testing::UiTestEnvironment;
using Step = FakeDisplayServices::Step;

// A display that the display services know by its frame; the one at the origin is the main one.
FakeDisplaySpec displayAt(DisplayID id, const QRectF& frame, DisplayID mirrorOf = 0) {
    FakeDisplaySpec spec;
    spec.id = id;
    spec.values.localizedName = QStringLiteral("Display %1").arg(id);
    spec.values.symbolName = QStringLiteral("display");
    spec.values.frame = frame;
    spec.values.isMain = frame.topLeft() == QPointF(0, 0) && mirrorOf == 0;
    spec.hardware = FakeDisplaySpec::hardwareFor(frame, 1, false);
    spec.hardware->mirrorOf = mirrorOf;
    return spec;
}

class DisplayArrangementSectionTest : public ::testing::Test {
protected:
    void start(const QList<FakeDisplaySpec>& displays, QSize size = {600, 240}) {
        section_.reset();  // before the models it draws
        FakeFixture fixture;
        fixture.displays = displays;
        env_ = std::make_unique<UiTestEnvironment>(fixture);
        env_->context().deviceStore();
        env_->settleAll();
        section_ = std::make_unique<DisplayArrangementSection>(discovery(), state_);
        section_->resize(size);
        section_->show();
    }

    DisplayDiscovery& discovery() { return env_->context().deviceStore().displayDiscovery(); }
    FakeDisplayServices& services() { return env_->fake().fakeDisplayServices(); }
    std::shared_ptr<DisplayDevice> display(DisplayID id) {
        for (const auto& display : discovery().displays()) {
            if (display->id() == id) {
                return display;
            }
        }
        return nullptr;
    }
    QPoint centreOf(DisplayID id) { return section_->drawnRect(id).center().toPoint(); }

    void press(QPoint at) { QTest::mousePress(section_.get(), Qt::LeftButton, {}, at); }
    void move(QPoint to) { QTest::mouseMove(section_.get(), to); }
    void release(QPoint at) {
        QTest::mouseRelease(section_.get(), Qt::LeftButton, {}, at);
        env_->settleAll();
    }
    // A drag in two steps, as a hand makes it, dropped at `from + by`.
    void drag(QPoint from, QPoint by) {
        press(from);
        move(from + by / 2);
        move(from + by);
        release(from + by);
    }
    void key(Qt::Key key, int times = 1, Qt::KeyboardModifiers modifiers = {}) {
        for (int i = 0; i < times; ++i) {
            QTest::keyClick(section_.get(), key, modifiers);
        }
        env_->settleAll();
    }
    void focusCanvas() {
        QApplication::setActiveWindow(section_.get());
        section_->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(section_->hasFocus());
    }
    void finishSpring() {
        auto* spring = section_->findChild<QVariantAnimation*>();
        ASSERT_NE(spring, nullptr);
        spring->setCurrentTime(spring->duration());
    }

    std::unique_ptr<UiTestEnvironment> env_;
    WindowState state_;
    std::unique_ptr<DisplayArrangementSection> section_;
};

// 1000 × 600 at the origin and 800 × 600 right of it: on a 600 × 240 canvas the 600-point
// height limits the scale to 0.3, so 10 canvas points are 33⅓ global points.
const QList<FakeDisplaySpec> sideBySide{displayAt(1, QRectF(0, 0, 1000, 600)),
                                        displayAt(2, QRectF(1000, 0, 800, 600))};

TEST_F(DisplayArrangementSectionTest, ClickingADrawingSelectsItsDisplayAndAMirrorIsStackedBehind) {
    start({displayAt(1, QRectF(0, 0, 1512, 982)), displayAt(722, QRectF(1512, -200, 2560, 1440)),
           displayAt(9, QRectF(1512, -200, 2560, 1440), 722)});
    ASSERT_EQ(display(9)->mirrorOfID(), std::optional<DisplayID>(722));
    EXPECT_EQ(section_->sizeHint().height(), DisplayArrangementSection::idealCanvasHeight);

    press(centreOf(722));
    release(centreOf(722));
    EXPECT_EQ(state_.selection(), display(722)->uuid());
    // The mirror shows only as a sliver beyond its primary's bottom-right corner.
    const QRectF primary = section_->drawnRect(722);
    const QRectF mirror = section_->drawnRect(9);
    EXPECT_GT(mirror.bottom(), primary.bottom());
    const QPoint sliver = (mirror.bottomRight() - QPointF(2, 2)).toPoint();
    press(sliver);
    release(sliver);
    EXPECT_EQ(state_.selection(), display(9)->uuid());
    // A click is not a drag: nothing was asked of the display services.
    EXPECT_EQ(services().callCount(Step::begin), 0);
}

TEST_F(DisplayArrangementSectionTest, ASingleDisplayNeverMoves) {
    start({displayAt(1, QRectF(0, 0, 1920, 1080))});
    drag(centreOf(1), QPoint(80, 40));
    EXPECT_EQ(services().callCount(Step::begin), 0);
    EXPECT_EQ(display(1)->frame(), QRectF(0, 0, 1920, 1080));
    EXPECT_FALSE(section_->liveDrag());
}

TEST_F(DisplayArrangementSectionTest, AnOverlappingDropGoesToTheNearestFreeEdge) {
    start(sideBySide);
    ASSERT_DOUBLE_EQ(section_->layout().scale, 0.3);
    // Dropped at (100, 40), over the first display: below it is nearest, 40 canvas points from
    // its left edge, too far to align.
    drag(centreOf(2), QPoint(-270, 12));
    EXPECT_EQ(display(2)->frame().topLeft(), QPointF(100, 600));
    EXPECT_EQ(display(1)->frame().topLeft(), QPointF(0, 0));
}

TEST_F(DisplayArrangementSectionTest, ADropWithinTenCanvasPointsOfAnEdgeSnapsFlush) {
    start(sideBySide);
    // Dropped at (-16.7, 233.3): below the first display, 5 canvas points left of its edge.
    drag(centreOf(2), QPoint(-305, 70));
    EXPECT_EQ(display(2)->frame().topLeft(), QPointF(0, 600));
}

TEST_F(DisplayArrangementSectionTest, WhileDraggingTheTileFollowsThePointerNoFartherThanTheBand) {
    start(sideBySide);
    const QRectF before = section_->drawnRect(2);
    const QPoint from = centreOf(2);
    press(from);
    move(from + QPoint(3, 0));
    EXPECT_FALSE(section_->liveDrag()) << "under 4 points a press is still a click";
    // Pulled 60 points away to the right: the display snaps to where it is, beside the first,
    // and the tile leans toward the pointer by less than 10 points.
    move(from + QPoint(60, 0));
    ASSERT_TRUE(section_->liveDrag());
    EXPECT_EQ(section_->liveDrag()->displayID, 2u);
    const qreal lean = section_->drawnRect(2).left() - before.left();
    EXPECT_GT(lean, 0);
    EXPECT_LT(lean, 10);
    release(from + QPoint(60, 0));
    EXPECT_EQ(services().callCount(Step::begin), 0);
}

TEST_F(DisplayArrangementSectionTest, AFailedMoveLeavesTheArrangementAndTheTileSpringsBack) {
    start(sideBySide);
    services().failStep(Step::complete, DisplayErrorCode::cannotComplete);
    const QRectF home = section_->drawnRect(2);
    drag(centreOf(2), QPoint(-270, 12));
    EXPECT_EQ(services().callCount(Step::complete), 1);
    EXPECT_EQ(display(2)->frame().topLeft(), QPointF(1000, 0));
    EXPECT_FALSE(section_->liveDrag());
    // Released far from home, the tile eases back to where the display still is.
    EXPECT_NE(section_->drawnRect(2), home);
    finishSpring();
    EXPECT_EQ(section_->drawnRect(2), home);
}

TEST_F(DisplayArrangementSectionTest, ADisplayUnpluggedDuringADragEndsItWithoutACall) {
    start(sideBySide);
    const QPoint from = centreOf(2);
    press(from);
    move(from + QPoint(-100, 30));
    ASSERT_TRUE(section_->liveDrag());
    env_->fake().unplugDisplay(2);
    env_->settleAll();
    EXPECT_FALSE(section_->liveDrag());
    move(from + QPoint(-200, 30));
    release(from + QPoint(-200, 30));
    EXPECT_FALSE(section_->liveDrag());
    EXPECT_EQ(services().callCount(Step::begin), 0);
    EXPECT_EQ(display(1)->frame().topLeft(), QPointF(0, 0));
}

TEST_F(DisplayArrangementSectionTest, TheMenuBarDroppedOnAnotherDisplayMakesItMain) {
    start(sideBySide);
    const QPoint strip = section_->menuBarRect().center().toPoint();
    ASSERT_TRUE(section_->drawnRect(1).contains(strip));
    press(strip);
    move(strip + QPoint(2, 0));
    // Two points take the menu bar, before the tile under it could be dragged.
    ASSERT_TRUE(section_->menubarDrag());
    EXPECT_FALSE(section_->liveDrag());
    EXPECT_EQ(section_->menubarDrag()->displayID, 1u);
    const QPoint target = centreOf(2);
    move(target);
    EXPECT_EQ(section_->menubarDrag()->location, QPointF(target));
    release(target);
    EXPECT_FALSE(section_->menubarDrag());
    EXPECT_EQ(display(2)->frame().topLeft(), QPointF(0, 0));
    EXPECT_EQ(display(1)->frame().topLeft(), QPointF(-1000, 0));
    EXPECT_TRUE(display(2)->isMain());
}

TEST_F(DisplayArrangementSectionTest, TheMenuBarDroppedOnItsOwnDisplayOrOutsideChangesNothing) {
    start(sideBySide);
    const QPoint strip = section_->menuBarRect().center().toPoint();
    for (const QPoint drop : {centreOf(1), QPoint(3, 3)}) {
        press(strip);
        move(strip + QPoint(0, 10));
        ASSERT_TRUE(section_->menubarDrag());
        move(drop);
        release(drop);
        EXPECT_FALSE(section_->menubarDrag());
    }
    EXPECT_EQ(services().callCount(Step::begin), 0);
    EXPECT_TRUE(display(1)->isMain());
    EXPECT_EQ(state_.selection(), QUuid()) << "a drag that ends on a tile is not a click";
}

TEST_F(DisplayArrangementSectionTest, ManyDisplaysAndAVeryTallOneStayInsideTheCanvas) {
    QList<FakeDisplaySpec> row;
    for (DisplayID id = 1; id <= 16; ++id) {
        row.append(displayAt(id, QRectF((id - 1) * 1920.0, 0, 1920, 1080)));
    }
    const QList<QList<FakeDisplaySpec>> arrangements{
        row,
        {displayAt(1, QRectF(0, 0, 1512, 982)), displayAt(2, QRectF(1512, 0, 1080, 30000)),
         displayAt(3, QRectF(-20000, 0, 1920, 1080))}};
    for (const auto& displays : arrangements) {
        start(displays);
        const QRectF inside = QRectF(section_->rect()).adjusted(12, 12, -12, -12);
        for (const auto& spec : displays) {
            const QRectF drawn = section_->drawnRect(spec.id);
            EXPECT_FALSE(drawn.isNull()) << spec.id;
            EXPECT_LE(drawn.height(), 180 + 1e-9) << spec.id;
            EXPECT_TRUE(inside.adjusted(-1e-6, -1e-6, 1e-6, 1e-6).contains(drawn))
                << spec.id << " at " << drawn.x() << ", " << drawn.y();
        }
    }
    // The 30,000-point display is the one that sets the scale: exactly 180 points.
    EXPECT_NEAR(section_->drawnRect(2).height(), 180, 1e-9);
}

}  // namespace
}  // namespace tavrin

namespace tavrin {
namespace {

// The keyboard drags as the pointer does: the same snapping while the tile is in hand and the
// same decision when it is dropped.
TEST_F(DisplayArrangementSectionTest, ArrowKeysDragTheFocusedTileAndEnterDropsItAsADragWould) {
    start(sideBySide);
    focusCanvas();
    EXPECT_EQ(section_->focusedDisplay(), std::optional<DisplayID>(1));
    QTest::keyClick(section_.get(), Qt::Key_Tab);
    EXPECT_EQ(section_->focusedDisplay(), std::optional<DisplayID>(2));
    const QRectF before = section_->drawnRect(2);
    // The translation of the pointer drag that drops it at (100, 600).
    key(Qt::Key_Left, 27);
    key(Qt::Key_Down, 12, Qt::ShiftModifier);
    ASSERT_TRUE(section_->liveDrag());
    EXPECT_EQ(section_->liveDrag()->translation, QPointF(-270, 12));
    EXPECT_NE(section_->drawnRect(2), before);
    EXPECT_EQ(services().callCount(Step::begin), 0) << "nothing is asked before the drop";
    key(Qt::Key_Return);
    EXPECT_FALSE(section_->liveDrag());
    EXPECT_EQ(display(2)->frame().topLeft(), QPointF(100, 600));
    EXPECT_TRUE(section_->hasFocus());
    EXPECT_EQ(section_->focusedDisplay(), std::optional<DisplayID>(2));
}

TEST_F(DisplayArrangementSectionTest, EscapePutsAKeyboardDragBackAndSpaceAndMActOnTheFocusedTile) {
    start(sideBySide);
    focusCanvas();
    QTest::keyClick(section_.get(), Qt::Key_Tab);
    key(Qt::Key_Up, 30);
    ASSERT_TRUE(section_->liveDrag());
    key(Qt::Key_Escape);
    EXPECT_FALSE(section_->liveDrag());
    finishSpring();
    EXPECT_EQ(services().callCount(Step::begin), 0);
    EXPECT_EQ(display(2)->frame().topLeft(), QPointF(1000, 0));

    key(Qt::Key_Space);
    EXPECT_EQ(state_.selection(), display(2)->uuid());
    key(Qt::Key_M);
    EXPECT_TRUE(display(2)->isMain());
    EXPECT_FALSE(display(1)->isMain());
    EXPECT_EQ(display(1)->frame().topLeft(), QPointF(-1000, 0));
}

// Tab walks the tiles one by one and then leaves the canvas; Shift+Tab walks back in from the
// last tile.
TEST_F(DisplayArrangementSectionTest, TabWalksTheTilesAndThenLeavesTheCanvas) {
    start(sideBySide);
    QWidget window;
    auto* canvas = section_.release();
    auto* layout = new QVBoxLayout(&window);
    auto* before = new QPushButton(QStringLiteral("Before"));
    auto* after = new QPushButton(QStringLiteral("After"));
    layout->addWidget(before);
    layout->addWidget(canvas);
    layout->addWidget(after);
    window.show();
    QApplication::setActiveWindow(&window);
    before->setFocus(Qt::TabFocusReason);
    QTest::keyClick(before, Qt::Key_Tab);
    ASSERT_TRUE(canvas->hasFocus());
    EXPECT_EQ(canvas->focusedDisplay(), std::optional<DisplayID>(1));
    QTest::keyClick(canvas, Qt::Key_Tab);
    EXPECT_EQ(canvas->focusedDisplay(), std::optional<DisplayID>(2));
    QTest::keyClick(canvas, Qt::Key_Tab);
    EXPECT_TRUE(after->hasFocus());
    QTest::keyClick(after, Qt::Key_Backtab);
    ASSERT_TRUE(canvas->hasFocus());
    EXPECT_EQ(canvas->focusedDisplay(), std::optional<DisplayID>(2));
}

TEST_F(DisplayArrangementSectionTest, EachTileReadsAsItsDisplayToAScreenReader) {
    start(sideBySide);
    auto* canvas = QAccessible::queryAccessibleInterface(section_.get());
    ASSERT_TRUE(canvas);
    EXPECT_EQ(canvas->role(), QAccessible::List);
    EXPECT_EQ(canvas->text(QAccessible::Name), QStringLiteral("Arrangement"));
    ASSERT_EQ(canvas->childCount(), 2);
    auto* main = canvas->child(0);
    auto* other = canvas->child(1);
    ASSERT_TRUE(main && other);
    EXPECT_EQ(main->role(), QAccessible::ListItem);
    EXPECT_EQ(main->text(QAccessible::Name), QStringLiteral("Display 1"));
    EXPECT_EQ(main->text(QAccessible::Description),
              QStringLiteral("1000 \u00d7 600 at 0, 0, main display"));
    EXPECT_EQ(other->text(QAccessible::Description), QStringLiteral("800 \u00d7 600 at 1000, 0"));
    EXPECT_EQ(canvas->indexOfChild(other), 1);
    EXPECT_EQ(other->parent(), canvas);
    const QPoint centre = section_->mapToGlobal(centreOf(2));
    EXPECT_EQ(canvas->childAt(centre.x(), centre.y()), other);
    EXPECT_LE((other->rect().center() - centre).manhattanLength(), 2);

    focusCanvas();
    QTest::keyClick(section_.get(), Qt::Key_Tab);
    EXPECT_EQ(canvas->focusChild(), other);
    EXPECT_TRUE(other->state().focused);
    EXPECT_FALSE(main->state().focused);
    // A move changes what the tiles read: the old items go, and the new ones tell the place.
    const auto before = QAccessible::uniqueId(other);
    key(Qt::Key_Down, 30);
    key(Qt::Key_Return);
    EXPECT_EQ(QAccessible::accessibleInterface(before), nullptr);
    auto* moved = canvas->child(1);
    ASSERT_TRUE(moved);
    EXPECT_NE(moved->text(QAccessible::Description), QStringLiteral("800 \u00d7 600 at 1000, 0"));
    EXPECT_EQ(moved->text(QAccessible::Description),
              DisplayArrangementSection::tileDescription(*display(2)));
}

}  // namespace
}  // namespace tavrin
