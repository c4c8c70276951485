#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include "audio/MicrophoneDevice.h"
#include "camera/CameraDevice.h"
#include "catalogue/DeviceStore.h"
#include "display/DisplayDevice.h"
#include "ui/AppDelegate.h"
#include "ui/AudioHogModeSection.h"
#include "ui/DeviceHosts.h"
#include "ui/DisplayArrangementSection.h"
#include "ui/EventLogPane.h"
#include "ui/EventLogView.h"
#include "ui/InspectorSliderRow.h"
#include "ui/MainSplitController.h"
#include "ui/MainWindowController.h"
#include "ui/MicrophoneInspectorView.h"
#include "ui/Settings.h"
#include "ui/SidebarViewController.h"
#include "ui/ToolbarConfiguration.h"
#include "ui/ToolbarCustomizeDialog.h"
#include "ui/ToolbarItems.h"
#include "ui/ToolbarStrip.h"
#include "ui/UiTestEnvironment.h"
#include "ui/WindowCascade.h"
#include "ui/WindowState.h"
#include "ui/WindowTab.h"
#include "ui/WindowTitle.h"

namespace tavrin {
namespace {

using testing::UiTestEnvironment;

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() : env_(testing::twoOfEachFixture()) {
        env_.context().deviceStore();
        env_.settleAll();
    }
    ~MainWindowTest() override { delegate_.reset(); }

    MainWindowController* open() {
        if (!delegate_) {
            delegate_ = std::make_unique<AppDelegate>(env_.context());
        }
        auto* window = delegate_->openWindow();
        env_.settleAll();
        return window;
    }
    DeviceStore& store() { return env_.context().deviceStore(); }
    std::shared_ptr<CameraDevice> webcam() {
        for (const auto& camera : store().cameraDiscovery().cameras()) {
            if (camera->localizedName() == QLatin1String("HD Pro Webcam")) {
                return camera;
            }
        }
        return nullptr;
    }
    bool enabled(MainWindowController* window, const QString& item) {
        return window->toolbarStrip()->button(item)->isEnabled();
    }

    UiTestEnvironment env_;
    std::unique_ptr<AppDelegate> delegate_;
};

TEST_F(MainWindowTest, AFirstWindowIsCentredAtItsDefaultSizeAndTheNextOnesCascade) {
    auto* first = open();
    EXPECT_EQ(first->size(), MainWindowController::defaultSize);
    const auto screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((first->frameGeometry().center() - screen.center()).manhattanLength(), 8);
    // Windows are placed by their frames, title bar included.
    const auto start = first->pos();

    auto* second = open();
    EXPECT_EQ(second->pos(), delegate_->cascadeTopLeft());
    EXPECT_EQ(delegate_->cascadeTopLeft(), cascadedTopLeft(start, second->size(), screen));
    const auto secondPoint = delegate_->cascadeTopLeft();
    open();
    EXPECT_EQ(delegate_->cascadeTopLeft(), cascadedTopLeft(secondPoint, second->size(), screen));
    EXPECT_EQ(delegate_->windows().size(), 3);
    second->close();
    env_.settleAll();
    EXPECT_EQ(delegate_->windows().size(), 2);
}

TEST(WindowCascadeTest, CascadingStepsDownAndWrapsAtTheScreenEdge) {
    const QRect screen(0, 0, 1920, 1080);
    EXPECT_EQ(cascadedTopLeft({100, 100}, {1240, 700}, screen), QPoint(126, 126));
    EXPECT_EQ(cascadedTopLeft({700, 300}, {1240, 700}, screen), QPoint(26, 26));
    EXPECT_FALSE(isUsableFrame(QRect(5000, 5000, 1240, 700), {screen}));
    EXPECT_FALSE(isUsableFrame(QRect(0, 0, -10, 700), {screen}));
    EXPECT_TRUE(isUsableFrame(QRect(-600, 10, 1240, 700), {screen}));
}

TEST_F(MainWindowTest, GarbageInEveryPreferenceGivesTheDefaults) {
    auto* settings = openSettings();
    settings->setValue(SettingsKey::mainWindow, QByteArray("not a geometry"));
    settings->setValue(SettingsKey::toolbar, 42);
    settings->setValue(SettingsKey::toolbarShown, QStringLiteral("maybe"));
    settings->setValue(SettingsKey::mainSplit, QByteArray("\x01\x02"));
    settings->setValue(SettingsKey::verticalSplit, QStringLiteral("[1,2]"));
    settings->setValue(SettingsKey::lastExpandedLogHeight, -300);
    settings->setValue(SettingsKey::sidebar, 7);

    auto* window = open();
    EXPECT_EQ(window->size(), MainWindowController::defaultSize);
    EXPECT_EQ(delegate_->toolbarConfiguration().items(), ToolbarItem::defaultItems());
    EXPECT_TRUE(window->toolbar()->isVisible());
    EXPECT_EQ(window->currentTab()->split().sizes()[0], 260);
}

TEST_F(MainWindowTest, AFrameOffEveryScreenIsNotRestored) {
    {
        QWidget offscreen;
        offscreen.setGeometry(40000, 40000, 1000, 600);
        openSettings()->setValue(SettingsKey::mainWindow, offscreen.saveGeometry());
    }
    auto* window = open();
    EXPECT_TRUE(
        QGuiApplication::primaryScreen()->availableGeometry().intersects(window->frameGeometry()));
}

TEST_F(MainWindowTest, TheToolbarFollowsTheSelectedKindAndTheSwitches) {
    auto* window = open();
    auto& state = window->currentTab()->state();
    using namespace ToolbarItem;

    state.setSelection(webcam()->uuid());
    env_.settleAll();
    EXPECT_TRUE(enabled(window, cameraPreviewToggle));
    EXPECT_FALSE(enabled(window, cameraMirrorToggle));  // the preview is off
    EXPECT_FALSE(enabled(window, microphoneMeterToggle));
    // The View menu's items follow the buttons.
    EXPECT_TRUE(window->action(QStringLiteral("toggleCameraPreview"))->isEnabled());
    EXPECT_FALSE(window->action(QStringLiteral("toggleCameraMirror"))->isEnabled());
    EXPECT_FALSE(window->action(QStringLiteral("toggleMicrophoneMeter"))->isEnabled());
    window->toggleCameraPreview();
    env_.settleAll();
    EXPECT_TRUE(enabled(window, cameraMirrorToggle));
    EXPECT_TRUE(window->action(QStringLiteral("toggleCameraPreview"))->isChecked());

    state.setSelection(store().microphoneDiscovery().microphones()[0]->uuid());
    env_.settleAll();
    EXPECT_FALSE(enabled(window, cameraPreviewToggle));
    EXPECT_FALSE(enabled(window, cameraMirrorToggle));
    EXPECT_TRUE(enabled(window, microphoneMeterToggle));

    state.setSelection({});
    env_.settleAll();
    EXPECT_FALSE(enabled(window, microphoneMeterToggle));
    for (const auto* item :
         {"toggleCameraPreview", "toggleCameraMirror", "toggleMicrophoneMeter"}) {
        EXPECT_FALSE(window->action(QString::fromLatin1(item))->isEnabled()) << item;
    }
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tavrin"));
}

TEST_F(MainWindowTest, TogglesLogForAMatchingDeviceOnly) {
    auto* window = open();
    auto& state = window->currentTab()->state();
    const auto display = store().displayDiscovery().displays()[0];
    state.setSelection(display->uuid());
    env_.settleAll();
    const auto before = env_.log().events(display->uuid()).size();
    window->toggleCameraPreview();
    window->toggleMicrophoneMeter();
    env_.settleAll();
    EXPECT_TRUE(state.isCameraPreviewEnabled());  // the switch flips all the same
    EXPECT_EQ(env_.log().events(display->uuid()).size(), before);

    const auto camera = webcam();
    state.setSelection(camera->uuid());
    env_.settleAll();
    window->toggleCameraMirror();
    window->toggleCameraMirror();
    window->toggleCameraPreview();
    env_.settleAll();
    const auto events = env_.log().events(camera->uuid());
    ASSERT_GE(events.size(), 3);
    EXPECT_EQ(events[events.size() - 3].message, QStringLiteral("HD Pro Webcam preview mirrored"));
    EXPECT_EQ(events[events.size() - 2].message,
              QStringLiteral("HD Pro Webcam preview unmirrored"));
    EXPECT_EQ(events.last().message, QStringLiteral("HD Pro Webcam preview stopped"));
    EXPECT_EQ(events.last().source, QStringLiteral("App"));
}

TEST_F(MainWindowTest, TabsHaveTheirOwnStateAndTheBarShowsFromTwoOn) {
    auto* window = open();
    auto* first = window->currentTab();
    EXPECT_EQ(first->state().selection(), store().defaultSelectionID());
    EXPECT_FALSE(window->tabWidget()->tabBar()->isVisible());
    first->state().setSelection(store().microphoneDiscovery().microphones()[1]->uuid());
    first->state().setMicrophoneMeterEnabled(true);

    auto* second = window->newTab();
    env_.settleAll();
    EXPECT_TRUE(window->tabWidget()->tabBar()->isVisible());
    EXPECT_NE(&second->state(), &first->state());
    EXPECT_EQ(second->state().selection(), store().defaultSelectionID());
    EXPECT_FALSE(second->state().isMicrophoneMeterEnabled());
    EXPECT_EQ(window->windowTitle().section(QStringLiteral(" \u2014 "), 0, 0),
              QStringLiteral("HD Pro Webcam"));
    // Selecting in one tab leaves the other alone.
    second->state().setSelection(store().displayDiscovery().displays()[0]->uuid());
    EXPECT_EQ(first->state().selection(), store().microphoneDiscovery().microphones()[1]->uuid());

    window->tabWidget()->setCurrentWidget(first);
    env_.settleAll();
    EXPECT_EQ(window->windowTitle().section(QStringLiteral(" \u2014 "), 0, 0),
              QStringLiteral("Headset"));
    window->closeCurrentTab();
    env_.settleAll();
    EXPECT_EQ(window->tabs().size(), 1);
    EXPECT_FALSE(window->tabWidget()->tabBar()->isVisible());
    QPointer<MainWindowController> guard(window);
    window->closeCurrentTab();  // the last tab closes the window
    env_.settleAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(guard);
}

TEST_F(MainWindowTest, EachWindowKeepsItsOwnSelection) {
    auto* first = open();
    auto* second = open();
    const auto headset = store().microphoneDiscovery().microphones()[1]->uuid();
    first->currentTab()->state().setSelection(headset);
    env_.settleAll();
    EXPECT_EQ(second->currentTab()->state().selection(), webcam()->uuid());
    EXPECT_TRUE(first->windowTitle().startsWith(QStringLiteral("Headset")));
    EXPECT_TRUE(second->windowTitle().startsWith(QStringLiteral("HD Pro Webcam")));
}

TEST_F(MainWindowTest, ADisconnectedSelectionStaysSelectedAndShowsItsState) {
    auto* window = open();
    const auto camera = webcam();
    window->currentTab()->state().setSelection(camera->uuid());
    env_.settleAll();
    env_.fake().unplugCamera(camera->id());
    env_.settleAll();
    EXPECT_EQ(window->currentTab()->state().selection(), camera->uuid());
    EXPECT_FALSE(window->currentTab()->split().inspector()->showsPlaceholder());
    EXPECT_EQ(window->subtitle(), camera->entry().status().label);
    EXPECT_NE(window->subtitle(), QStringLiteral("Available"));
}

TEST_F(MainWindowTest, CustomizingTheToolbarPersistsAndReachesEveryWindow) {
    auto* window = open();
    auto* other = open();
    ToolbarCustomizeDialog dialog(delegate_->toolbarConfiguration(), window);
    dialog.toolbarList()->setCurrentRow(3);  // the camera preview toggle
    dialog.removeSelected();
    dialog.toolbarList()->setCurrentRow(0);
    dialog.moveSelected(1);
    EXPECT_EQ(dialog.chosenItems().value(1), ToolbarItem::toggleSidebar);
    delegate_->toolbarConfiguration().setItems(dialog.chosenItems());
    env_.settleAll();
    EXPECT_EQ(other->toolbarStrip()->button(ToolbarItem::cameraPreviewToggle), nullptr);
    EXPECT_EQ(openSettings()->value(SettingsKey::toolbar).toStringList(), dialog.chosenItems());

    dialog.restoreDefaults();
    EXPECT_EQ(dialog.chosenItems(), ToolbarItem::defaultItems());
    window->action(QStringLiteral("toggleToolbarShown"))->trigger();
    EXPECT_FALSE(other->toolbar()->isVisible());
}

TEST_F(MainWindowTest, SubtitleShowsTheCamerasFormatAndRateWhenKnown) {
    auto* window = open();
    const auto camera = webcam();
    window->currentTab()->state().setSelection(camera->uuid());
    env_.settleAll();
    auto device = env_.fake().fakeCaptureDevices().fakeDevice(camera->id());
    ASSERT_TRUE(device);
    auto format = std::make_shared<CaptureDeviceFormat>();
    format->mediaSubtype = fourCC("420v");
    format->width = 1920;
    format->height = 1080;
    device->change({CaptureKeyPath::activeFormat, CaptureKeyPath::formats,
                    CaptureKeyPath::activeVideoMinFrameDuration},
                   [&](FakeCaptureDeviceState& state) {
                       state.formats = {format};
                       state.activeFormat = format;
                       state.activeVideoMinFrameDuration = MediaTime::invalid();
                   });
    env_.settleAll();
    // The open window follows the selected camera's changes, not only the title's text.
    EXPECT_EQ(window->subtitle(), QStringLiteral("Available \u2022 1920 \u00d7 1080"));
    EXPECT_EQ(window->windowTitle(),
              QStringLiteral("HD Pro Webcam \u2014 Available \u2022 1920 \u00d7 1080"));
    device->change({CaptureKeyPath::activeVideoMinFrameDuration},
                   [&](FakeCaptureDeviceState& state) {
                       state.activeVideoMinFrameDuration = MediaTime::make(1001, 30000);
                   });
    env_.settleAll();
    EXPECT_EQ(window->windowTitle(),
              QStringLiteral("HD Pro Webcam \u2014 Available \u2022 1920 \u00d7 1080 @ 30 fps"));
    EXPECT_EQ(WindowTitle::of(std::nullopt).text(), QStringLiteral("Tavrin"));
}

TEST_F(MainWindowTest, AFocusedFieldKeepsEscapeWhileExclusiveAccessIsHeld) {
    env_.fake().fakeAudioHardware().addDevice({.uid = QStringLiteral("BuiltInMicrophoneDevice")});
    env_.settleAll();
    auto* window = open();
    window->show();
    QApplication::setActiveWindow(window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    const auto microphone = store().microphoneDiscovery().microphones()[0];
    env_.log().record(QStringLiteral("a line to select"), QStringLiteral("Test"),
                      microphone->uuid());
    window->currentTab()->state().setSelection(microphone->uuid());
    env_.settleAll();
    auto* hog = window->findChild<AudioHogModeSection*>();
    ASSERT_TRUE(hog);
    hog->takeButton()->click();
    env_.settleAll();
    const auto held = [&] { return hog->releaseButton()->isVisibleTo(hog); };
    // A button's shortcut clicks it as an animated click, a moment after the key.
    const auto settleAfterEscape = [&] {
        QTest::qWait(250);
        env_.settleAll();
    };
    ASSERT_TRUE(held());

    // The filter field clears.
    auto* filter = window->findChild<SidebarViewController*>()->searchField();
    filter->setFocus();
    QTest::keyClicks(filter, QStringLiteral("zz"));
    QTest::keyClick(filter, Qt::Key_Escape);
    settleAfterEscape();
    EXPECT_TRUE(filter->text().isEmpty());
    EXPECT_TRUE(held());

    // A slider's typed value is discarded.
    auto* volume = window->findChild<MicrophoneInspectorView*>()->volumeRow();
    volume->startEditing();
    ASSERT_TRUE(volume->isEditing());
    volume->editor()->setFocus();
    QTest::keyClick(volume->editor(), Qt::Key_Escape);
    settleAfterEscape();
    EXPECT_FALSE(volume->isEditing());
    EXPECT_TRUE(held());

    // The log's row field closes.
    auto* log = window->findChild<EventLogPane*>()->view();
    log->edit(log->model()->index(log->model()->rowCount() - 1, 0));
    QPointer<QLineEdit> field = log->viewport()->findChild<QLineEdit*>();
    ASSERT_TRUE(field);
    field->setFocus();
    QTest::keyClick(field, Qt::Key_Escape);
    settleAfterEscape();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(field.isNull());
    EXPECT_TRUE(held());

    // Outside a field, Escape gives the microphone back.
    hog->releaseButton()->setFocus();
    QTest::keyClick(hog->releaseButton(), Qt::Key_Escape);
    settleAfterEscape();
    EXPECT_FALSE(held());
}

}  // namespace
}  // namespace tavrin

namespace tavrin {
namespace {

// Tab reaches every part of a display's window, in reading order, and comes round again: no
// control keeps the keyboard, and none hands it to nowhere.
TEST_F(MainWindowTest, TabWalksTheWindowInReadingOrderAndComesRound) {
    auto* window = open();
    window->show();
    QApplication::setActiveWindow(window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    const auto display = store().displayDiscovery().displays().first();
    window->currentTab()->state().setSelection(display->uuid());
    env_.settleAll();
    auto* first = window->findChild<QLineEdit*>();
    ASSERT_TRUE(first);
    first->setFocus(Qt::TabFocusReason);
    // The arrangement keeps the keyboard from tile to tile: a stop is a control and its tile.
    auto stop = [] {
        auto* focused = QApplication::focusWidget();
        QString name = focused ? focused->accessibleName() : QStringLiteral("nowhere");
        if (auto* arrangement = qobject_cast<DisplayArrangementSection*>(focused)) {
            name += QStringLiteral(" %1").arg(arrangement->focusedDisplay().value_or(0));
        }
        return name;
    };
    QStringList chain{stop()};
    bool cameRound = false;
    for (int step = 0; step < 60 && !cameRound; ++step) {
        auto* focused = QApplication::focusWidget();
        ASSERT_TRUE(focused) << "Tab from " << chain.last().toStdString() << " went nowhere";
        QTest::keyClick(focused, Qt::Key_Tab);
        cameRound = QApplication::focusWidget() == first;
        ASSERT_NE(stop(), chain.last()) << "kept Tab";
        chain.append(stop());
    }
    EXPECT_TRUE(cameRound) << chain.join(QStringLiteral(", ")).toStdString();
    const QStringList order{"Filter devices",  "Devices",         "Arrangement 1",
                            "Arrangement 722", "Events",          "Copy",
                            "Inspector",       "Hide General",    "Hide Properties",
                            "Toggle Sidebar",  "Toggle Inspector"};
    qsizetype at = -1;
    for (const auto& stop : order) {
        const auto next = chain.indexOf(stop);
        EXPECT_GT(next, at) << stop.toStdString() << " in " << chain.join(", ").toStdString();
        at = next;
    }
}

}  // namespace
}  // namespace tavrin
