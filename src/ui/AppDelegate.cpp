#include "ui/AppDelegate.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>

#include "ui/EditorEscapeFilter.h"
#include "ui/MainWindowController.h"
#include "ui/Settings.h"
#include "ui/ToolbarConfiguration.h"
#include "ui/WindowCascade.h"

namespace tavrin {

AppDelegate::AppDelegate(AppContext& context, QObject* parent)
    : QObject(parent), context_(context), toolbarConfiguration_(new ToolbarConfiguration(this)) {
    // One filter for the application, whichever delegate comes first.
    static QPointer<EditorEscapeFilter> escapeFilter;
    if (!escapeFilter) {
        escapeFilter = new EditorEscapeFilter(QCoreApplication::instance());
        QCoreApplication::instance()->installEventFilter(escapeFilter);
    }
}

AppDelegate::~AppDelegate() {
    // Deleting a window removes it from the list.
    while (!windows_.isEmpty()) {
        delete windows_.last();
    }
}

QList<MainWindowController*> AppDelegate::windows() const {
    return windows_;
}

bool AppDelegate::isFrameAutosaved(const MainWindowController* window) const {
    return window && window == autosaved_;
}

MainWindowController* AppDelegate::openWindow() {
    const auto open = windows();
    auto* window = new MainWindowController(*this, context_, *toolbarConfiguration_);
    window->setAttribute(Qt::WA_DeleteOnClose);
    windows_.append(window);
    // Only the address is used: the window is being destroyed.
    connect(window, &QObject::destroyed, this, [this](QObject* gone) {
        windows_.removeIf([gone](const MainWindowController* open) { return open == gone; });
        if (autosaved_ == gone) {
            autosaved_ = nullptr;
        }
    });
    if (open.isEmpty()) {
        placeFirstWindow(*window);
    } else {
        const auto* screen = open.last()->screen();
        cascadeTopLeft_ = cascadedTopLeft(cascadeTopLeft_, window->size(),
                                          screen ? screen->availableGeometry() : QRect());
        window->move(cascadeTopLeft_);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void AppDelegate::placeFirstWindow(MainWindowController& window) {
    autosaved_ = &window;
    const auto stored = openSettings()->value(SettingsKey::mainWindow).toByteArray();
    QList<QRect> screens;
    for (const auto* screen : QGuiApplication::screens()) {
        screens.append(screen->availableGeometry());
    }
    const bool restored = !stored.isEmpty() && window.restoreGeometry(stored) &&
                          isUsableFrame(window.frameGeometry(), screens) &&
                          window.width() >= MainWindowController::minimumSize.width() &&
                          window.height() >= MainWindowController::minimumSize.height();
    if (!restored) {
        window.setWindowState(Qt::WindowNoState);
        window.resize(MainWindowController::defaultSize);
        if (const auto* screen = QGuiApplication::primaryScreen()) {
            auto frame = QRect(QPoint(), MainWindowController::defaultSize);
            frame.moveCenter(screen->availableGeometry().center());
            window.move(frame.topLeft());
        }
    }
    // A top-level window is moved by its frame, so the cascade steps from frame to frame; the
    // inner area's corner lies a title bar lower.
    cascadeTopLeft_ = window.pos();
}

}  // namespace tavrin
