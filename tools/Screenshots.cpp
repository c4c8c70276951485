// Renders the main window on the demo devices, in its main states, to PNG files for people to
// look at: scripts/screenshots.sh runs it on the offscreen platform.
#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMetaEnum>
#include <QMouseEvent>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <cstdio>

#include "app/AppContext.h"
#include "audio/MicrophoneDevice.h"
#include "camera/CameraDevice.h"
#include "catalogue/DeviceStore.h"
#include "display/DisplayDevice.h"
#include "platform/PlatformFactory.h"
#include "platform/fake/FakePlatform.h"
#include "runtime/QtMainThreadQueue.h"
#include "ui/AppDelegate.h"
#include "ui/DeviceCanvas.h"
#include "ui/DeviceHosts.h"
#include "ui/DisplayArrangementSection.h"
#include "ui/DisplayDetailView.h"
#include "ui/EventLogPane.h"
#include "ui/EventLogView.h"
#include "ui/InspectorView.h"
#include "ui/MainSplitController.h"
#include "ui/MainWindowController.h"
#include "ui/SidebarViewController.h"
#include "ui/SymbolIcons.h"
#include "ui/ToolbarCustomizeDialog.h"
#include "ui/VerticalSplitController.h"
#include "ui/WindowState.h"
#include "ui/WindowTab.h"

using namespace tavrin;

namespace {

void settle(int milliseconds = 150) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

bool save(QWidget& widget, const QString& directory, const QString& name) {
    settle();
    const auto path = QDir(directory).filePath(name + QStringLiteral(".png"));
    const bool saved = widget.grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(path));
    return saved;
}

// The whole inspector of the selected device, as tall as its content, at the pane's width.
bool saveInspector(WindowTab& tab, const QString& directory, const QString& name) {
    settle();
    auto* inspector = tab.split().inspector()->inspector();
    if (!inspector || !inspector->widget()) {
        std::printf("FAILED %s: no inspector\n", qPrintable(name));
        return false;
    }
    auto* content = inspector->widget();
    const int width = inspector->viewport()->width();
    const auto path = QDir(directory).filePath(name + QStringLiteral(".png"));
    const QSize before = content->size();
    content->resize(width, content->heightForWidth(width) > 0 ? content->heightForWidth(width)
                                                              : content->sizeHint().height());
    const bool saved = content->grab().save(path);
    content->resize(before);
    std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(path));
    return saved;
}

// The selected device's whole canvas page, as tall as its content, at the pane's width.
bool saveCanvas(WindowTab& tab, const QString& directory, const QString& name) {
    settle();
    auto* canvas = tab.split().center()->canvasHost()->canvas();
    if (!canvas || !canvas->widget()) {
        std::printf("FAILED %s: no canvas\n", qPrintable(name));
        return false;
    }
    auto* content = canvas->widget();
    const int width = canvas->viewport()->width();
    const auto path = QDir(directory).filePath(name + QStringLiteral(".png"));
    const QSize before = content->size();
    content->resize(width, content->heightForWidth(width) > 0 ? content->heightForWidth(width)
                                                              : content->sizeHint().height());
    const bool saved = content->grab().save(path);
    content->resize(before);
    std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(path));
    return saved;
}

// A display plugged for the arrangement pictures, described by its frame; `mirrorOf` names the
// display it mirrors.
FakeDisplaySpec extraDisplay(DisplayID id, const QString& name, const QRectF& frame,
                             DisplayID mirrorOf = 0) {
    FakeDisplaySpec spec;
    spec.id = id;
    spec.values.localizedName = name;
    spec.values.symbolName = QStringLiteral("display");
    spec.values.frame = frame;
    spec.hardware = FakeDisplaySpec::hardwareFor(frame, 1, false);
    spec.hardware->mirrorOf = mirrorOf;
    return spec;
}

// Sends a left-button mouse event to `widget` at `at`, as a hand on the canvas would.
void sendMouse(QWidget* widget, QEvent::Type type, const QPointF& at) {
    const auto buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void sendKey(QWidget* widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QApplication::sendEvent(widget, &release);
}

// What a screen reader finds in a window: each shown node of its accessibility tree, indented,
// as role, "name", the description and the value.
void dumpNode(QAccessibleInterface* node, int depth, QTextStream& out) {
    if (!node || !node->isValid() || node->state().invisible || depth > 40) {
        return;
    }
    out << QString(depth * 2, QLatin1Char(' '))
        << QAccessible::staticMetaObject
               .enumerator(QAccessible::staticMetaObject.indexOfEnumerator("Role"))
               .valueToKey(node->role())
        << " \"" << node->text(QAccessible::Name) << '"';
    if (const auto description = node->text(QAccessible::Description); !description.isEmpty()) {
        out << " \u2014 " << description;
    }
    if (const auto value = node->text(QAccessible::Value); !value.isEmpty()) {
        out << " = " << value;
    }
    if (node->state().focused) {
        out << " (focused)";
    }
    out << '\n';
    for (int index = 0; index < node->childCount(); ++index) {
        dumpNode(node->child(index), depth + 1, out);
    }
}

bool dumpAccessibility(QWidget& window, const QString& directory, const QString& name) {
    QFile file(QDir(directory).filePath(name + QStringLiteral(".txt")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        std::printf("FAILED %s\n", qPrintable(file.fileName()));
        return false;
    }
    QTextStream out(&file);
    dumpNode(QAccessible::queryAccessibleInterface(&window), 0, out);
    std::printf("wrote %s\n", qPrintable(file.fileName()));
    return true;
}

}  // namespace

// The display pages of this computer's own platform (on CI, the private Xorg's outputs): each
// display's page, arrangement canvas included.
int renderThisComputersDisplays(const QString& output) {
    auto queue = std::make_unique<QtMainThreadQueue>();
    auto platform = createPlatform(*queue, PlatformChoice::automatic);
    if (!platform || dynamic_cast<FakePlatform*>(platform.get())) {
        std::fprintf(stderr, "tavrin_screenshots: this computer has no platform of its own\n");
        return 1;
    }
    AppContext context(std::move(queue), std::move(platform));
    AppDelegate delegate(context);
    auto* window = delegate.openWindow();
    settle(600);
    auto* tab = window->currentTab();
    bool ok = true;
    int index = 0;
    for (const auto& display : context.deviceStore().displayDiscovery().displays()) {
        tab->state().setSelection(display->uuid());
        ok &= saveCanvas(*tab, output, QStringLiteral("display-page-%1").arg(++index));
    }
    ok &= save(*window, output, QStringLiteral("display-page-window"));
    return ok && index > 0 ? 0 : 1;
}

// The camera inspectors of the webcams in a V4L2 fixture, over the Linux platform: what a user
// with those webcams sees of their UVC controls.
int renderFixtureWebcams(const QString& output, const QString& fixture) {
    auto queue = std::make_unique<QtMainThreadQueue>();
    QString error;
    auto platform = createPlatformWithCameraFixture(*queue, fixture, &error);
    if (!platform) {
        std::fprintf(stderr, "tavrin_screenshots: %s\n", qPrintable(error));
        return 1;
    }
    AppContext context(std::move(queue), std::move(platform));
    AppDelegate delegate(context);
    auto* window = delegate.openWindow();
    settle(400);
    auto* tab = window->currentTab();
    bool ok = true;
    int index = 0;
    for (const auto& camera : context.deviceStore().cameraDiscovery().cameras()) {
        tab->state().setSelection(camera->uuid());
        settle(400);  // the controller opens and probes on the camera's own thread
        ok &= saveInspector(*tab, output, QStringLiteral("webcam-inspector-%1").arg(++index));
    }
    return ok && index > 0 ? 0 : 1;
}

int main(int argc, char** argv) {
    // Fresh preferences, never the user's; the directory outlives the application, which saves
    // them on its way out.
    QTemporaryDir preferences;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, preferences.path());
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: tavrin_screenshots OUTPUT_DIRECTORY [--this-computers-displays | "
                     "--camera-fixture FILE]\n");
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(output);
    installIconThemeFallback();
    if (argc > 2 && QByteArray(argv[2]) == "--this-computers-displays") {
        return renderThisComputersDisplays(output);
    }
    if (argc > 3 && QByteArray(argv[2]) == "--camera-fixture") {
        return renderFixtureWebcams(output, QString::fromLocal8Bit(argv[3]));
    }

    auto queue = std::make_unique<QtMainThreadQueue>();
    auto platform = std::make_unique<FakePlatform>(*queue, FakeFixture::demo());
    auto& fake = *platform;
    fake.fakeAudioCapture().setLiveSignal(true);
    AppContext context(std::move(queue), std::move(platform));
    AppDelegate delegate(context);
    auto* window = delegate.openWindow();
    settle(400);
    auto& store = context.deviceStore();
    auto* tab = window->currentTab();
    bool ok = true;

    tab->state().setSelection({});
    ok &= save(*window, output, QStringLiteral("1-nothing-selected"));

    // The inspectors, before the demo's scenario unplugs the webcam: a USB camera with its UVC
    // controls, a microphone and a display.
    for (const auto& camera : store.cameraDiscovery().cameras()) {
        camera->uvcController();
    }
    settle(300);  // the controllers open on their cameras' threads
    for (const auto& camera : store.cameraDiscovery().cameras()) {
        if (camera->hasUVCController()) {
            tab->state().setSelection(camera->uuid());
        }
    }
    settle(300);  // and the inspector's sections probe there
    ok &= save(*window, output, QStringLiteral("8-camera-inspector-window"));
    ok &= saveInspector(*tab, output, QStringLiteral("8-camera-inspector"));
    tab->state().setSelection(store.microphoneDiscovery().microphones().last()->uuid());
    ok &= saveInspector(*tab, output, QStringLiteral("9-microphone-inspector"));
    tab->state().setSelection(store.displayDiscovery().displays().first()->uuid());
    ok &= saveInspector(*tab, output, QStringLiteral("10-display-inspector"));

    // The demo's built-in camera in use, so the sidebar shows a status dot and a warning.
    fake.setCameraInUseByAnotherProcess(QStringLiteral("BuiltInCamera-8020-0001"), true);
    tab->state().setSelection(store.cameraDiscovery().cameras().first()->uuid());
    ok &= save(*window, output, QStringLiteral("2-camera-selected"));

    tab->state().setSelection(store.microphoneDiscovery().microphones().first()->uuid());
    ok &= save(*window, output, QStringLiteral("3-microphone-selected"));

    tab->split().sidebar()->searchField()->setText(QStringLiteral("vocalis"));
    ok &= save(*window, output, QStringLiteral("4-filtered-sidebar"));
    tab->split().sidebar()->searchField()->clear();

    tab->split().center()->setLogHeight(320);
    ok &= save(*window, output, QStringLiteral("5-log-expanded"));

    auto* second = window->newTab();
    second->state().setSelection(store.displayDiscovery().displays().first()->uuid());
    ok &= save(*window, output, QStringLiteral("6-two-tabs"));

    // The log pane expanded on a microphone, alone and with every microphone's events merged.
    auto* logTab = window->currentTab();
    const auto& microphones = store.microphoneDiscovery().microphones();
    logTab->state().setSelection(microphones.first()->uuid());
    logTab->split().center()->setLogHeight(320);
    settle();
    const QStringList messages{
        QStringLiteral("%1 volume: 50% \u2192 75%"),
        QStringLiteral("%1 in use: no \u2192 yes"),
        QStringLiteral("%1 sample rate: 44100 Hz \u2192 48000 Hz"),
        QStringLiteral("%1 muted: no \u2192 yes"),
        QStringLiteral("%1 in use: yes \u2192 no"),
    };
    for (const auto& message : messages) {
        for (const auto& microphone : microphones) {
            context.eventLog().record(message.arg(microphone->localizedName()),
                                      QStringLiteral("Audio"), microphone->uuid());
            settle(5);
        }
    }
    auto* pane = logTab->split().center()->logHost()->pane();
    ok &= pane != nullptr && save(*window, output, QStringLiteral("11-log-this-microphone"));
    if (pane) {
        pane->setScope(EventLogScope::allOfKind);
        pane->view()->selectionModel()->select(pane->model()->index(2),
                                               QItemSelectionModel::Select);
        pane->view()->selectionModel()->select(pane->model()->index(4),
                                               QItemSelectionModel::Select);
        ok &= save(*window, output, QStringLiteral("12-log-all-microphones"));
    }

    // The device pages: a camera with its formats table; a microphone whose configuration lock
    // counts down; the same microphone held exclusively.
    auto* pageTab = window->currentTab();
    pageTab->split().center()->setLogHeight(120);
    pageTab->state().setSelection(store.cameraDiscovery().cameras().first()->uuid());
    ok &= save(*window, output, QStringLiteral("13-camera-page-window"));
    ok &= saveCanvas(*pageTab, output, QStringLiteral("13-camera-page"));
    auto microphone = store.microphoneDiscovery().microphones().last();
    pageTab->state().setSelection(microphone->uuid());
    microphone->configurationLock().lock();
    settle(1200);  // one tick of the countdown
    ok &= saveCanvas(*pageTab, output, QStringLiteral("14-microphone-lock-counting"));
    microphone->configurationLock().unlock();
    microphone->audioHogMode().take();
    microphone->audioHogMode().keepIndefinitely();
    ok &= saveCanvas(*pageTab, output, QStringLiteral("15-exclusive-access-held"));
    ok &= save(*window, output, QStringLiteral("15-exclusive-access-window"));
    microphone->audioHogMode().release();

    // The arrangement of three displays, one of them mirrored: the demo's two and a portrait
    // display left of the built-in one, with a projector mirroring the studio monitor.
    fake.plugDisplay(
        extraDisplay(3, QStringLiteral("Side Display"), QRectF(-1080, -500, 1080, 1920)));
    fake.plugDisplay(extraDisplay(44, QStringLiteral("Meeting Room Projector"),
                                  QRectF(1512, -200, 1920, 1080), 722));
    settle();
    const auto displays = store.displayDiscovery().displays();
    for (const auto& display : displays) {
        if (display->isBuiltIn()) {
            pageTab->state().setSelection(display->uuid());
        }
    }
    ok &= save(*window, output, QStringLiteral("16-display-arrangement-window"));
    ok &= saveCanvas(*pageTab, output, QStringLiteral("16-display-arrangement"));
    auto* canvas = pageTab->split().center()->canvasHost()->canvas();
    if (auto* section =
            canvas && canvas->displayView() ? canvas->displayView()->arrangement() : nullptr) {
        // The menu bar in hand over the studio monitor, then a display pulled off its place;
        // each put back where it came from.
        const QPointF strip = section->menuBarRect().center();
        sendMouse(section, QEvent::MouseButtonPress, strip);
        sendMouse(section, QEvent::MouseMove, strip + QPointF(0, 10));
        sendMouse(section, QEvent::MouseMove, section->drawnRect(722).center());
        ok &= saveCanvas(*pageTab, output, QStringLiteral("17-menu-bar-dragged"));
        sendMouse(section, QEvent::MouseButtonRelease, strip);
        const QPointF side = section->drawnRect(3).center();
        sendMouse(section, QEvent::MouseButtonPress, side);
        sendMouse(section, QEvent::MouseMove, side + QPointF(30, 40));
        sendMouse(section, QEvent::MouseMove, side + QPointF(60, 90));
        ok &= saveCanvas(*pageTab, output, QStringLiteral("18-display-dragged"));
        sendMouse(section, QEvent::MouseButtonRelease, side);
        settle(400);  // the tile springs back
        // A display moved with the keyboard: focused with Tab, pulled left with the arrow
        // keys, in hand until Enter; Escape puts it back.
        QApplication::setActiveWindow(window);
        section->setFocus(Qt::TabFocusReason);
        sendKey(section, Qt::Key_Tab);
        for (int step = 0; step < 14; ++step) {
            sendKey(section, Qt::Key_Left);
        }
        ok &= saveCanvas(*pageTab, output, QStringLiteral("18-display-moved-by-keys"));
        ok &= dumpAccessibility(*window, output, QStringLiteral("18-display-moved-by-keys"));
        sendKey(section, Qt::Key_Escape);
    } else {
        std::printf("FAILED no arrangement\n");
        ok = false;
    }
    // The live sections: a running level meter on the demo's tone, and a camera's test picture
    // as it comes and mirrored.
    for (const auto& candidate : store.microphoneDiscovery().microphones()) {
        if (candidate->activeFormat()) {
            pageTab->state().setSelection(candidate->uuid());
        }
    }
    pageTab->state().setMicrophoneMeterEnabled(true);
    settle(900);
    ok &= saveCanvas(*pageTab, output, QStringLiteral("19-meter-running"));
    ok &= dumpAccessibility(*window, output, QStringLiteral("19-meter-running"));
    pageTab->state().setSelection(store.cameraDiscovery().cameras().first()->uuid());
    pageTab->state().setCameraPreviewEnabled(true);
    settle(600);
    ok &= saveCanvas(*pageTab, output, QStringLiteral("20-preview-live"));
    ok &= dumpAccessibility(*window, output, QStringLiteral("20-preview-live"));
    pageTab->state().setCameraPreviewMirrored(true);
    settle(300);
    ok &= saveCanvas(*pageTab, output, QStringLiteral("20-preview-mirrored"));
    pageTab->state().setCameraPreviewEnabled(false);

    ToolbarCustomizeDialog dialog(delegate.toolbarConfiguration(), window);
    dialog.show();
    ok &= save(dialog, output, QStringLiteral("7-customize-toolbar"));
    dialog.close();
    return ok ? 0 : 1;
}
