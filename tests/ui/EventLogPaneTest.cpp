#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPointer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <thread>

#include "audio/MicrophoneDevice.h"
#include "camera/CameraDevice.h"
#include "catalogue/DeviceStore.h"
#include "lab/DeviceJson.h"
#include "ui/AppDelegate.h"
#include "ui/DeviceHosts.h"
#include "ui/EventLogModel.h"
#include "ui/EventLogPane.h"
#include "ui/EventLogView.h"
#include "ui/MainSplitController.h"
#include "ui/MainWindowController.h"
#include "ui/UiTestEnvironment.h"
#include "ui/VerticalSplitController.h"
#include "ui/WindowState.h"
#include "ui/WindowTab.h"

namespace tavrin {
namespace {

using namespace std::chrono_literals;
using testing::UiTestEnvironment;

class EventLogPaneTest : public ::testing::Test {
protected:
    EventLogPaneTest() : env_(testing::twoOfEachFixture()) {
        env_.context().deviceStore();
        env_.settleAll();
        log().setEventsByDevice({});
        QGuiApplication::clipboard()->setText(QStringLiteral("on the clipboard before"));
    }

    DeviceEventLog& log() { return env_.log(); }
    DeviceStore& store() { return env_.context().deviceStore(); }
    DeviceEntry microphone(int index) {
        return DeviceEntry(store().microphoneDiscovery().microphones().at(index));
    }
    DeviceEntry camera(int index) {
        return DeviceEntry(store().cameraDiscovery().cameras().at(index));
    }
    void record(const DeviceEntry& entry, const QString& message) {
        std::this_thread::sleep_for(1ms);
        log().record(message, QStringLiteral("Usage"), entry.id());
        env_.settleAll();
    }
    // A line as the log writes it, for comparing copies against.
    QString line(const DeviceEntry& entry, int index) {
        const auto event = log().events(entry.id()).at(index);
        return DeviceEventLog::timestampText(event.timestamp) + QStringLiteral("  ") +
               event.message;
    }
    static QString clipboard() { return QGuiApplication::clipboard()->text(); }
    static void select(EventLogPane& pane, int row) {
        pane.view()->selectionModel()->select(pane.model()->index(row),
                                              QItemSelectionModel::Select);
    }

    UiTestEnvironment env_;
};

TEST_F(EventLogPaneTest, TwoSelectedRowsAreCopiedOldestFirstByButtonKeyAndMenu) {
    EventLogPane pane(log(), store(), microphone(0));
    for (int i = 0; i < 4; ++i) {
        record(microphone(0), QStringLiteral("event %1").arg(i));
    }
    EXPECT_EQ(pane.copyButton()->toolTip(), QStringLiteral("Copy all events"));
    pane.copyButton()->click();
    EXPECT_EQ(clipboard(), QStringList({line(microphone(0), 0), line(microphone(0), 1),
                                        line(microphone(0), 2), line(microphone(0), 3)})
                               .join(QLatin1Char('\n')));

    // Selected newest first; copied in display order.
    select(pane, 3);
    select(pane, 1);
    EXPECT_EQ(pane.copyButton()->toolTip(), QStringLiteral("Copy 2 selected event(s)"));
    const auto expected = line(microphone(0), 1) + QLatin1Char('\n') + line(microphone(0), 3);
    pane.copyButton()->click();
    EXPECT_EQ(clipboard(), expected);

    QGuiApplication::clipboard()->clear();
    pane.show();
    pane.view()->setFocus();
    QTest::keyClick(pane.view(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard(), expected);

    QGuiApplication::clipboard()->clear();
    ASSERT_EQ(pane.view()->contextMenuPolicy(), Qt::ActionsContextMenu);
    ASSERT_EQ(pane.view()->actions().size(), 1);
    EXPECT_EQ(pane.view()->actions().first()->text(), QStringLiteral("Copy"));
    pane.view()->actions().first()->trigger();
    EXPECT_EQ(clipboard(), expected);
}

// The selection is of events: a microphone that joins the "All" scope rebuilds the rows, and
// the event chosen with the mouse stays chosen.
TEST_F(EventLogPaneTest, TheChosenEventStaysChosenWhenADeviceJoinsTheScope) {
    EventLogPane pane(log(), store(), microphone(0));
    pane.resize(600, 300);
    pane.show();
    pane.setScope(EventLogScope::allOfKind);
    record(microphone(0), QStringLiteral("first"));
    record(microphone(1), QStringLiteral("second"));
    record(microphone(0), QStringLiteral("third"));
    auto* view = pane.view();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      view->visualRect(pane.model()->index(1)).center());
    const auto chosen = log().events(microphone(1).id()).last().id;
    const auto selectedIDs = [&] {
        QList<QUuid> ids;
        for (const auto& index : view->selectionModel()->selectedRows()) {
            ids.append(index.data(EventLogModel::eventIDRole).toUuid());
        }
        return ids;
    };
    ASSERT_EQ(selectedIDs(), QList<QUuid>{chosen});

    QSignalSpy resets(pane.model(), &QAbstractItemModel::modelReset);
    env_.fake().plugMicrophone(
        testing::captureSource(QStringLiteral("usb-mic"), QStringLiteral("USB Mic"), {},
                               QStringLiteral("AVCaptureDeviceTypeMicrophone")));
    env_.settleAll();
    record(DeviceEntry(store().microphoneDiscovery().microphones().last()),
           QStringLiteral("fourth"));
    ASSERT_GT(resets.count(), 0);
    EXPECT_EQ(selectedIDs(), QList<QUuid>{chosen});
    EXPECT_EQ(pane.model()->rowCount(), 5);  // and the new microphone's discovery
}

// The window's evidence and the command line's are the same lines, so one reader takes both.
TEST_F(EventLogPaneTest, ExportWritesTheShownEventsAsTheEventsCommandsJsonOrAsNamedText) {
    EventLogPane pane(log(), store(), microphone(0));
    pane.setScope(EventLogScope::allOfKind);
    record(microphone(0), QStringLiteral("first"));
    record(microphone(1), QStringLiteral("second"));
    record(camera(0), QStringLiteral("not a microphone's"));
    QTemporaryDir dir;
    const auto jsonPath = dir.filePath(QStringLiteral("events.jsonl"));
    ASSERT_TRUE(pane.exportTo(jsonPath, EventLogExportFormat::jsonLines));

    QFile json(jsonPath);
    ASSERT_TRUE(json.open(QIODevice::ReadOnly));
    const auto lines = json.readAll().split('\n');
    ASSERT_EQ(lines.size(), 3);  // two events and the final line feed
    EXPECT_EQ(lines[0] + '\n', DeviceJson::line(DeviceJson::event(
                                   log().events(microphone(0).id()).last(), microphone(0))));
    const auto second = QJsonDocument::fromJson(lines[1]).object();
    EXPECT_EQ(second.value(QStringLiteral("device")).toString(), microphone(1).localizedName());
    EXPECT_EQ(second.value(QStringLiteral("message")).toString(), QStringLiteral("second"));

    const auto textPath = dir.filePath(QStringLiteral("events.txt"));
    ASSERT_TRUE(pane.exportTo(textPath, EventLogExportFormat::plainText));
    QFile text(textPath);
    ASSERT_TRUE(text.open(QIODevice::ReadOnly));
    const auto header = text.readLine();
    EXPECT_TRUE(header.startsWith("# Events of " + microphone(0).localizedName().toUtf8() + ", " +
                                  microphone(1).localizedName().toUtf8() + " from "))
        << header.constData();
    EXPECT_EQ(QString::fromUtf8(text.readLine()).trimmed(), line(microphone(0), 0));
    EXPECT_TRUE(pane.model()->exportTitle().startsWith(QStringLiteral("All microphones 20")));

    QString error;
    EXPECT_FALSE(pane.exportTo(dir.filePath(QStringLiteral("no/such/dir/x.txt")),
                               EventLogExportFormat::plainText, &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Could not write")));
}

TEST_F(EventLogPaneTest, AnEmptyLogShowsZeroEventsAndCopyLeavesTheClipboardAlone) {
    EventLogPane pane(log(), store(), camera(1));
    record(camera(0), QStringLiteral("another camera's"));
    EXPECT_EQ(pane.countText(), QStringLiteral("0 events"));
    pane.copyButton()->click();
    pane.show();
    pane.view()->setFocus();
    QTest::keyClick(pane.view(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard(), QStringLiteral("on the clipboard before"));

    record(camera(1), QStringLiteral("one"));
    EXPECT_EQ(pane.countText(), QStringLiteral("1 events"));
}

TEST_F(EventLogPaneTest, ClearingAllOfKindEmptiesTheKindAndTheSelectionAndKeepsOtherKinds) {
    EventLogPane pane(log(), store(), microphone(1));
    EXPECT_EQ(pane.scopeButton(EventLogScope::thisDevice)->text(),
              QStringLiteral("This microphone"));
    EXPECT_EQ(pane.scopeButton(EventLogScope::allOfKind)->text(),
              QStringLiteral("All microphones"));
    EXPECT_EQ(pane.clearButton()->toolTip(), QStringLiteral("Clear events for this microphone"));
    record(microphone(0), QStringLiteral("first"));
    record(camera(0), QStringLiteral("camera"));
    record(microphone(1), QStringLiteral("second"));

    pane.scopeButton(EventLogScope::allOfKind)->click();
    EXPECT_EQ(pane.scope(), EventLogScope::allOfKind);
    EXPECT_EQ(pane.clearButton()->toolTip(), QStringLiteral("Clear events for all microphones"));
    EXPECT_EQ(pane.countText(), QStringLiteral("2 events"));
    select(pane, 0);
    pane.clearButton()->click();

    EXPECT_EQ(pane.countText(), QStringLiteral("0 events"));
    EXPECT_EQ(pane.view()->selectedRowCount(), 0);
    EXPECT_EQ(pane.copyButton()->toolTip(), QStringLiteral("Copy all events"));
    EXPECT_TRUE(log().events(microphone(0).id()).isEmpty());
    EXPECT_TRUE(log().events(microphone(1).id()).isEmpty());
    EXPECT_EQ(env_.messages(camera(0).id()), QStringList({"camera"}));
}

TEST_F(EventLogPaneTest, TheListFollowsTheNewestEvent) {
    EventLogPane pane(log(), store(), camera(0));
    pane.resize(600, 200);
    pane.show();
    for (int i = 0; i < 40; ++i) {
        log().record(QStringLiteral("event %1").arg(i), QStringLiteral("Usage"), camera(0).id());
    }
    env_.settleAll();
    auto* view = pane.view();
    const auto newest = view->visualRect(pane.model()->index(39));
    EXPECT_GT(view->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(newest.bottom(), view->viewport()->rect().bottom());
    EXPECT_EQ(view->indexAt(newest.center()).row(), 39);
}

TEST_F(EventLogPaneTest, ADoubleClickedRowOpensItsLineForSelectingText) {
    EventLogPane pane(log(), store(), camera(0));
    pane.resize(600, 200);
    pane.show();
    record(camera(0), QStringLiteral("first"));
    record(camera(0), QStringLiteral("second"));
    auto* view = pane.view();
    const auto row = view->visualRect(pane.model()->index(1)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, row);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, row);
    auto* field = view->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(field, nullptr);
    QPointer<QLineEdit> guard(field);
    EXPECT_TRUE(field->isReadOnly());
    EXPECT_EQ(field->text(), line(camera(0), 1));
    // Nothing typed reaches the log, and Escape leaves the field.
    QTest::keyClicks(field, QStringLiteral("xyz"));
    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_EQ(env_.messages(camera(0).id()), QStringList({"first", "second"}));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(guard.isNull());
}

class LogHostTest : public EventLogPaneTest {
protected:
    WindowState state_;
};

TEST_F(LogHostTest, EachSelectedDeviceGetsAFreshPaneThatCollapsesToItsHeader) {
    VerticalSplitController split(env_.context(), state_);
    split.resize(700, 700);
    split.show();
    split.setLogHeight(200);
    EXPECT_EQ(split.logHost()->pane(), nullptr);

    state_.setSelection(microphone(0).id());
    env_.settleAll();
    auto* pane = split.logHost()->pane();
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(pane->clearButton()->toolTip(), QStringLiteral("Clear events for this microphone"));
    EXPECT_EQ(pane->collapseButton()->toolTip(), QStringLiteral("Toggle event log (Ctrl+Shift+Y)"));
    pane->setScope(EventLogScope::allOfKind);
    EXPECT_TRUE(pane->showsList());

    pane->collapseButton()->click();
    EXPECT_TRUE(split.isAnimating());
    QTest::qWait(VerticalSplitController::animationMilliseconds + 150);
    EXPECT_EQ(split.logHeight(), LogHost::headerHeight);
    EXPECT_FALSE(pane->showsList());
    EXPECT_EQ(pane->height(), EventLogPane::headerHeight);

    state_.setSelection(camera(0).id());
    env_.settleAll();
    ASSERT_NE(split.logHost()->pane(), nullptr);
    EXPECT_EQ(split.logHost()->pane()->scope(), EventLogScope::thisDevice);
    EXPECT_EQ(split.logHost()->pane()->scopeButton(EventLogScope::allOfKind)->text(),
              QStringLiteral("All cameras"));
    state_.setSelection({});
    env_.settleAll();
    EXPECT_EQ(split.logHost()->pane(), nullptr);
}

TEST_F(LogHostTest, TheWindowsEditMenuAndLogKeyReachTheFocusedPane) {
    AppDelegate delegate(env_.context());
    auto* window = delegate.openWindow();
    window->currentTab()->state().setSelection(microphone(0).id());
    env_.settleAll();
    record(microphone(0), QStringLiteral("one"));
    record(microphone(0), QStringLiteral("two"));
    auto& split = *window->currentTab()->split().center();
    auto* pane = split.logHost()->pane();
    ASSERT_NE(pane, nullptr);

    window->activateWindow();
    pane->view()->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), pane->view());
    window->action(QStringLiteral("selectAll"))->trigger();
    EXPECT_EQ(pane->copyButton()->toolTip(), QStringLiteral("Copy 2 selected event(s)"));
    window->action(QStringLiteral("copy"))->trigger();
    EXPECT_EQ(clipboard(), line(microphone(0), 0) + QLatin1Char('\n') + line(microphone(0), 1));

    ASSERT_GT(split.logHeight(), LogHost::headerHeight);
    window->action(QStringLiteral("toggleLog"))->trigger();
    QTest::qWait(VerticalSplitController::animationMilliseconds + 150);
    EXPECT_EQ(split.logHeight(), LogHost::headerHeight);
    EXPECT_FALSE(pane->showsList());
}

}  // namespace
}  // namespace tavrin
