#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include "catalogue/DeviceStore.h"
#include "ui/DeviceHosts.h"
#include "ui/MainSplitController.h"
#include "ui/PlaceholderView.h"
#include "ui/Settings.h"
#include "ui/UiTestEnvironment.h"
#include "ui/VerticalSplitController.h"
#include "ui/WindowState.h"

namespace tavrin {
namespace {

using testing::UiTestEnvironment;
using Split = VerticalSplitController;

TEST(SplitLayoutTest, TheLogToggleRemembersTheOpenHeight) {
    UiTestEnvironment env;
    EXPECT_EQ(Split::toggleTarget(36), 160);  // first time: 160
    EXPECT_EQ(Split::toggleTarget(100), 36);  // a 100-point log collapses and remembers 120
    EXPECT_EQ(Split::toggleTarget(36), 120);
    EXPECT_EQ(Split::toggleTarget(300), 36);
    EXPECT_EQ(Split::toggleTarget(30), 300);
    // A damaged preference is as good as none.
    openSettings()->setValue(SettingsKey::lastExpandedLogHeight, QStringLiteral("-5"));
    EXPECT_EQ(Split::toggleTarget(36), 160);
    openSettings()->setValue(SettingsKey::lastExpandedLogHeight, QStringLiteral("garbage"));
    EXPECT_EQ(Split::toggleTarget(36), 160);
}

class SplitWidgetTest : public ::testing::Test {
protected:
    SplitWidgetTest() : env_(testing::twoOfEachFixture()) {
        env_.context().deviceStore();
        env_.settleAll();
    }

    // Drags the divider with the mouse until the log is `height` high, as a user does: press on
    // the handle, move with the button held, release.
    static void dragLogTo(Split& split, int height) {
        auto* handle = split.handle(1);
        const QPoint grip(handle->width() / 2, handle->height() / 2);
        const QPoint start = handle->mapToGlobal(grip);
        const QPoint end = start + QPoint(0, split.logHeight() - height);
        const auto send = [&](QEvent::Type type, const QPoint& global, Qt::MouseButton button,
                              Qt::MouseButtons buttons) {
            QMouseEvent event(type, QPointF(handle->mapFromGlobal(global)), QPointF(global), button,
                              buttons, Qt::NoModifier);
            QApplication::sendEvent(handle, &event);
        };
        send(QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseMove, (start + end) / 2, Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseMove, end, Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, end, Qt::LeftButton, Qt::NoButton);
    }

    UiTestEnvironment env_;
    WindowState state_;
};

TEST_F(SplitWidgetTest, ADraggedLogSnapsShutBelowEightySixPoints) {
    Split split(env_.context(), state_);
    split.resize(700, 700);
    split.show();
    split.setLogHeight(200);
    ASSERT_TRUE(state_.isLogExpanded());

    // Qt widens a thin handle's grip by a few points, so a drag lands within those of the aim.
    dragLogTo(split, 110);
    EXPECT_NEAR(split.logHeight(), 110, 3);
    EXPECT_TRUE(state_.isLogExpanded());
    dragLogTo(split, 60);
    EXPECT_EQ(split.logHeight(), Split::collapsedLogHeight);
    EXPECT_FALSE(state_.isLogExpanded());
    dragLogTo(split, 100);
    EXPECT_NEAR(split.logHeight(), 100, 3);
    EXPECT_TRUE(state_.isLogExpanded());
    // Where exactly it snaps.
    EXPECT_EQ(Split::constrainedLogHeight(85), Split::collapsedLogHeight);
    EXPECT_EQ(Split::constrainedLogHeight(86), 86);
}

TEST_F(SplitWidgetTest, TheLogAnimatesOpenAndItsHeightDrivesTheExpandedFlag) {
    Split split(env_.context(), state_);
    split.resize(700, 700);
    split.show();
    split.setLogHeight(36);
    EXPECT_FALSE(state_.isLogExpanded());

    split.toggleLog();
    EXPECT_TRUE(split.isAnimating());
    QTest::qWait(Split::animationMilliseconds + 150);
    EXPECT_FALSE(split.isAnimating());
    EXPECT_EQ(split.logHeight(), 160);
    EXPECT_TRUE(state_.isLogExpanded());

    split.toggleLog();
    QTest::qWait(Split::animationMilliseconds + 150);
    EXPECT_EQ(split.logHeight(), 36);
    EXPECT_FALSE(state_.isLogExpanded());
    EXPECT_EQ(storedLength(SettingsKey::lastExpandedLogHeight), 160.0);
}

TEST_F(SplitWidgetTest, WithoutASelectionEveryPaneShowsItsPlaceholder) {
    MainSplitController split(env_.context(), state_);
    EXPECT_TRUE(split.center()->canvasHost()->showsPlaceholder());
    EXPECT_EQ(split.center()->canvasHost()->placeholder()->title(),
              QStringLiteral("Select a Device"));
    EXPECT_EQ(split.center()->logHost()->placeholder()->description(),
              QStringLiteral("No device selected"));
    EXPECT_EQ(split.inspector()->placeholder()->title(), QStringLiteral("No Device Selected"));

    // A selection that names no device is no selection.
    state_.setSelection(QUuid::createUuid());
    env_.settleAll();
    EXPECT_TRUE(split.inspector()->showsPlaceholder());

    const auto camera = env_.context().deviceStore().defaultSelectionID();
    state_.setSelection(*camera);
    env_.settleAll();
    EXPECT_FALSE(split.inspector()->showsPlaceholder());
    EXPECT_FALSE(split.center()->canvasHost()->showsPlaceholder());
    EXPECT_FALSE(split.center()->logHost()->showsPlaceholder());
    EXPECT_TRUE(split.inspector()->inspector());
    EXPECT_TRUE(split.center()->canvasHost()->canvas());
    EXPECT_TRUE(split.center()->logHost()->pane());

    // Back to no selection: the placeholders again.
    state_.setSelection({});
    env_.settleAll();
    EXPECT_TRUE(split.inspector()->showsPlaceholder());
    EXPECT_TRUE(split.center()->canvasHost()->showsPlaceholder());
}

TEST_F(SplitWidgetTest, SidePanesToggleAndKeepTheirLimits) {
    MainSplitController split(env_.context(), state_);
    split.resize(1240, 640);
    split.show();
    QTest::qWait(20);
    const auto sizes = split.sizes();
    EXPECT_EQ(sizes[0], 260);  // 21 % of 1240
    EXPECT_EQ(sizes[2], 280);  // 21 % is below the inspector's minimum
    EXPECT_TRUE(split.sidebarDivider().has_value());

    split.toggleSidebar();
    EXPECT_FALSE(split.isSidebarShown());
    EXPECT_FALSE(split.sidebarDivider().has_value());
    split.toggleSidebar();
    EXPECT_EQ(split.sizes()[0], 260);
    split.toggleInspector();
    EXPECT_FALSE(split.isInspectorShown());
    EXPECT_GE(split.sizes()[1], MainSplitController::centerMinimum);
}

}  // namespace
}  // namespace tavrin
