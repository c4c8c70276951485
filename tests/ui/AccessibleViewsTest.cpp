#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <thread>

#include "catalogue/DeviceEventLog.h"
#include "catalogue/DeviceStore.h"
#include "catalogue/MicrophoneDiscovery.h"
#include "ui/CameraPreviewView.h"
#include "ui/EventLogModel.h"
#include "ui/EventLogPane.h"
#include "ui/EventLogView.h"
#include "ui/MeterLevelsView.h"
#include "ui/SparklineView.h"
#include "ui/UiTestEnvironment.h"

namespace tavrin {
namespace {

using namespace std::chrono_literals;
using testing::UiTestEnvironment;

TEST(AccessibleViewsTest, EachMeterChannelReadsItsLevelAndPeakInDecibels) {
    MeterLevelsView meter;
    meter.setLevels({{0.8, 0.9, 0.9}, {0.5, 0.6, 0.75}}, true);
    auto* view = QAccessible::queryAccessibleInterface(&meter);
    ASSERT_TRUE(view);
    EXPECT_EQ(view->text(QAccessible::Name), QStringLiteral("Levels"));
    ASSERT_EQ(view->childCount(), 2);
    auto* right = view->child(1);
    EXPECT_EQ(right->role(), QAccessible::ProgressBar);
    EXPECT_EQ(right->text(QAccessible::Name), QStringLiteral("Channel 2"));
    EXPECT_EQ(right->text(QAccessible::Value), QStringLiteral("-30 dB, peak -15 dB"));
    auto* value = right->valueInterface();
    ASSERT_TRUE(value);
    EXPECT_DOUBLE_EQ(value->currentValue().toDouble(), -30);
    EXPECT_DOUBLE_EQ(value->minimumValue().toDouble(), -60);
    EXPECT_DOUBLE_EQ(value->maximumValue().toDouble(), 0);

    // One channel left: the second item is gone, and its interface says so.
    meter.setLevels({{0.0, 0.0, 0.0}}, false);
    EXPECT_EQ(view->childCount(), 1);
    EXPECT_FALSE(right->isValid());
    EXPECT_EQ(right->text(QAccessible::Value), QString());
    EXPECT_EQ(view->child(0)->text(QAccessible::Value),
              QStringLiteral("\u2014\u221e dB, peak \u2014\u221e dB"));
    EXPECT_EQ(view->text(QAccessible::Description), QStringLiteral("Not measuring"));
}

TEST(AccessibleViewsTest, ThePreviewAndASparklineReadWhatTheyShow) {
    CameraPreviewView preview;
    auto* picture = QAccessible::queryAccessibleInterface(&preview);
    EXPECT_EQ(picture->role(), QAccessible::Graphic);
    EXPECT_EQ(picture->text(QAccessible::Name), QStringLiteral("Live Picture"));
    EXPECT_EQ(picture->text(QAccessible::Description), QStringLiteral("No picture"));
    PreviewFrame frame;
    frame.size = QSize(4, 2);
    frame.bytesPerLine = 16;
    frame.layout = PreviewFrame::Layout::xrgb32;
    frame.pixels = QByteArray(32, '\x40');
    preview.setFrame(frame);
    preview.setMirrored(true);
    EXPECT_EQ(picture->text(QAccessible::Description), QStringLiteral("4 \u00d7 2, mirrored"));

    SparklineView sparkline(QStringLiteral("Brightness"));
    sparkline.setValue(75, 50, 150);
    auto* curve = QAccessible::queryAccessibleInterface(&sparkline);
    EXPECT_EQ(curve->role(), QAccessible::Chart);
    EXPECT_EQ(curve->text(QAccessible::Name), QStringLiteral("Brightness curve"));
    EXPECT_EQ(curve->text(QAccessible::Value), QStringLiteral("25%"));
}

class EventLogAccessibilityTest : public ::testing::Test {
protected:
    EventLogAccessibilityTest() : env_(testing::twoOfEachFixture()) {
        env_.context().deviceStore();
        env_.settleAll();
        env_.log().setEventsByDevice({});
    }
    DeviceEntry microphone() {
        return DeviceEntry(
            env_.context().deviceStore().microphoneDiscovery().microphones().first());
    }

    UiTestEnvironment env_;
};

// The rows read as their messages with their times, focus follows the arrow keys, and the
// focused row is what Ctrl+C copies.
TEST_F(EventLogAccessibilityTest, RowsReadAsTheirEventsAndTheArrowKeysWalkThem) {
    EventLogPane pane(env_.log(), env_.context().deviceStore(), microphone());
    for (int i = 0; i < 3; ++i) {
        std::this_thread::sleep_for(1ms);
        env_.log().record(QStringLiteral("event %1").arg(i), QStringLiteral("Usage"),
                          microphone().id());
    }
    env_.settleAll();
    pane.resize(500, 300);
    pane.show();
    QApplication::setActiveWindow(&pane);
    auto* view = pane.view();
    view->setFocus();
    auto* list = QAccessible::queryAccessibleInterface(view);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->role(), QAccessible::List);
    ASSERT_EQ(list->childCount(), 3);
    auto* first = list->child(0);
    EXPECT_EQ(first->role(), QAccessible::ListItem);
    EXPECT_EQ(first->text(QAccessible::Name), QStringLiteral("event 0"));
    EXPECT_EQ(first->text(QAccessible::Description),
              pane.model()->index(0).data(EventLogModel::timestampTextRole).toString());
    EXPECT_EQ(list->indexOfChild(list->child(2)), 2);
    const QPoint middle = list->child(1)->rect().center();
    EXPECT_EQ(list->childAt(middle.x(), middle.y()), list->child(1));

    QTest::keyClick(view, Qt::Key_Home);
    QTest::keyClick(view, Qt::Key_Down);
    EXPECT_EQ(view->currentIndex().row(), 1);
    EXPECT_EQ(list->focusChild(), list->child(1));
    EXPECT_TRUE(list->child(1)->state().focused);
    EXPECT_TRUE(list->child(1)->state().selected);
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(QGuiApplication::clipboard()->text().endsWith(QStringLiteral("event 1")));

    // A new event: the rows are others, so the items read before go.
    const auto firstRow = QAccessible::uniqueId(list->child(0));
    env_.log().record(QStringLiteral("event 3"), QStringLiteral("Usage"), microphone().id());
    env_.settleAll();
    EXPECT_EQ(QAccessible::accessibleInterface(firstRow), nullptr);
    EXPECT_EQ(list->childCount(), 4);
    EXPECT_EQ(list->child(3)->text(QAccessible::Name), QStringLiteral("event 3"));
}

}  // namespace
}  // namespace tavrin
