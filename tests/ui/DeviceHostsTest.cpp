#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QTest>

#include "catalogue/DeviceStore.h"
#include "display/DisplayDevice.h"
#include "display/DisplayDiscovery.h"
#include "ui/DeviceCanvas.h"
#include "ui/DeviceHosts.h"
#include "ui/DisplayArrangementSection.h"
#include "ui/EventLogModel.h"
#include "ui/EventLogPane.h"
#include "ui/InspectorView.h"
#include "ui/UiTestEnvironment.h"
#include "ui/WindowState.h"

namespace tavrin {
namespace {

using testing::UiTestEnvironment;

class DeviceHostsTest : public ::testing::Test {
protected:
    DeviceHostsTest() : env_(testing::twoOfEachFixture()) {
        env_.context().deviceStore();
        env_.settleAll();
    }
    std::shared_ptr<DisplayDevice> display(int index) {
        return env_.context().deviceStore().displayDiscovery().displays().at(index);
    }

    UiTestEnvironment env_;
    WindowState state_;
};

// A click on another display's tile selects that display, which replaces the very canvas the
// tile is drawn on while its release handler still runs.
TEST_F(DeviceHostsTest, ClickingAnotherDisplaysTileReplacesTheCanvasUnderTheClick) {
    CanvasHost host(env_.context(), state_);
    host.resize(900, 600);
    host.show();
    state_.setSelection(display(0)->uuid());
    env_.settleAll();
    auto* firstCanvas = host.canvas();
    ASSERT_TRUE(firstCanvas);
    auto* arrangement = firstCanvas->findChild<DisplayArrangementSection*>();
    ASSERT_TRUE(arrangement);
    ASSERT_TRUE(arrangement->isVisible());

    const auto other = display(1);
    QTest::mouseClick(arrangement, Qt::LeftButton, {},
                      arrangement->drawnRect(other->id()).center().toPoint());
    env_.settleAll();
    EXPECT_EQ(state_.selection(), other->uuid());
    ASSERT_TRUE(host.canvas());
    EXPECT_NE(host.canvas(), firstCanvas);
    EXPECT_EQ(host.canvas()->entry().id(), other->uuid());
    // The old canvas is gone once the event loop has run, and the new one answers clicks.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(host.findChildren<DeviceCanvas*>().size(), 1);
    auto* again = host.canvas()->findChild<DisplayArrangementSection*>();
    ASSERT_TRUE(again);
    QTest::mouseClick(again, Qt::LeftButton, {},
                      again->drawnRect(display(0)->id()).center().toPoint());
    env_.settleAll();
    EXPECT_EQ(state_.selection(), display(0)->uuid());
}

// Space on a tile selects its display from the keyboard: the canvas is replaced, and the
// keyboard goes on from the new canvas's arrangement, on the display just selected.
TEST_F(DeviceHostsTest, AKeyboardSelectionOnTheArrangementKeepsTheKeyboardThere) {
    CanvasHost host(env_.context(), state_);
    host.resize(900, 600);
    host.show();
    QApplication::setActiveWindow(&host);
    state_.setSelection(display(0)->uuid());
    env_.settleAll();
    auto* arrangement = host.canvas()->findChild<DisplayArrangementSection*>();
    ASSERT_TRUE(arrangement);
    arrangement->setFocus(Qt::TabFocusReason);
    QTest::keyClick(arrangement, Qt::Key_Tab);
    ASSERT_EQ(arrangement->focusedDisplay(), std::optional<DisplayID>(display(1)->id()));
    QTest::keyClick(arrangement, Qt::Key_Space);
    EXPECT_EQ(state_.selection(), display(1)->uuid());
    env_.settleAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    auto* again = host.canvas()->findChild<DisplayArrangementSection*>();
    ASSERT_TRUE(again);
    ASSERT_NE(again, arrangement);
    EXPECT_TRUE(again->hasFocus());
    EXPECT_EQ(again->focusedDisplay(), std::optional<DisplayID>(display(1)->id()));
}

// The inspector and the log are replaced the same way when a control in them leads to another
// selection: the old page leaves the screen at once and is deleted later.
TEST_F(DeviceHostsTest, AReplacedPageLeavesTheScreenAtOnce) {
    InspectorHost inspector(env_.context(), state_);
    LogHost log(env_.context().deviceStore(), state_);
    inspector.show();
    log.show();
    state_.setSelection(display(0)->uuid());
    env_.settleAll();
    QPointer<InspectorView> first = inspector.inspector();
    QPointer<EventLogPane> firstPane = log.pane();
    ASSERT_TRUE(first);
    ASSERT_TRUE(firstPane);
    state_.setSelection(display(1)->uuid());
    ASSERT_TRUE(first);
    ASSERT_TRUE(firstPane);
    EXPECT_FALSE(first->isVisible());
    EXPECT_FALSE(firstPane->isVisible());
    EXPECT_NE(inspector.inspector(), first);
    EXPECT_NE(log.pane(), firstPane);
    EXPECT_EQ(log.pane()->model()->entry().id(), display(1)->uuid());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(first);
    EXPECT_FALSE(firstPane);
}

}  // namespace
}  // namespace tavrin
