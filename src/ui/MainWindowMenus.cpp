// The menu bar of a main window, translated to a Linux desktop's conventions: Ctrl for
// Command, the desktop's standard keys where one exists, Quit in File and About in Help.
#include <QAbstractItemView>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>

#include "ui/AppDelegate.h"
#include "ui/MainSplitController.h"
#include "ui/MainWindowController.h"
#include "ui/SelectedDevice.h"
#include "ui/SidebarViewController.h"
#include "ui/SymbolIcons.h"
#include "ui/ToolbarConfiguration.h"
#include "ui/WindowTab.h"

#ifndef TAVRIN_VERSION
#define TAVRIN_VERSION "0"
#endif

namespace tavrin {

namespace {

QAction* addItem(QMenu* menu, const QString& title, const QKeySequence& key,
                 const QString& symbol = {}) {
    auto* action = menu->addAction(title);
    if (!key.isEmpty()) {
        action->setShortcut(key);
    }
    if (!symbol.isEmpty()) {
        action->setIcon(symbolIcon(symbol));
    }
    return action;
}

}  // namespace

void MainWindowController::buildMenus() {
    auto* bar = menuBar();
    auto remember = [this](const QString& name, QAction* action) {
        actions_.insert(name, action);
        return action;
    };
    auto sidebar = [this]() -> SidebarViewController* {
        auto* tab = currentTab();
        return tab ? tab->split().sidebar() : nullptr;
    };

    auto* file = bar->addMenu(QStringLiteral("&File"));
    connect(remember(QStringLiteral("newWindow"),
                     addItem(file, QStringLiteral("New Window"), QKeySequence::New,
                             QStringLiteral("rectangle.on.rectangle"))),
            &QAction::triggered, this, [this] { delegate_.openWindow(); });
    connect(remember(QStringLiteral("newTab"),
                     addItem(file, QStringLiteral("New Tab"), QKeySequence::AddTab,
                             QStringLiteral("plus.square.on.square"))),
            &QAction::triggered, this, [this] { newTab(); });
    file->addSeparator();
    connect(remember(QStringLiteral("closeTab"),
                     addItem(file, QStringLiteral("Close Tab"), QKeySequence::Close)),
            &QAction::triggered, this, &MainWindowController::closeCurrentTab);
    connect(
        remember(QStringLiteral("closeWindow"),
                 addItem(file, QStringLiteral("Close Window"),
                         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_W), QStringLiteral("xmark"))),
        &QAction::triggered, this, &QWidget::close);
    file->addSeparator();
    auto* quit = remember(
        QStringLiteral("quit"),
        addItem(file, QStringLiteral("Quit Tavrin"), QKeySequence::Quit, QStringLiteral("power")));
    quit->setMenuRole(QAction::QuitRole);
    connect(quit, &QAction::triggered, qApp, &QApplication::closeAllWindows);

    auto* edit = bar->addMenu(QStringLiteral("&Edit"));
    const struct {
        const char* name;
        const char* title;
        QKeySequence key;
        const char* method;
    } editItems[] = {
        {"undo", "Undo", QKeySequence::Undo, "undo"},
        {"redo", "Redo", QKeySequence::Redo, "redo"},
        {nullptr, nullptr, {}, nullptr},
        {"cut", "Cut", QKeySequence::Cut, "cut"},
        {"copy", "Copy", QKeySequence::Copy, "copy"},
        {"paste", "Paste", QKeySequence::Paste, "paste"},
        {"pasteAsPlainText", "Paste and Match Style",
         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V), "paste"},
        {"delete", "Delete", QKeySequence::Delete, "del"},
        {"selectAll", "Select All", QKeySequence::SelectAll, "selectAll"},
    };
    for (const auto& item : editItems) {
        if (!item.name) {
            edit->addSeparator();
            continue;
        }
        auto* action = remember(QString::fromLatin1(item.name),
                                addItem(edit, QString::fromLatin1(item.title), item.key));
        // A focused text field takes these keys first (it overrides the shortcut).
        connect(action, &QAction::triggered, this,
                [this, method = item.method] { editAction(method); });
    }
    edit->addSeparator();
    auto* find = edit->addMenu(QStringLiteral("Find"));
    connect(remember(QStringLiteral("find"),
                     addItem(find, QStringLiteral("Find\u2026"), QKeySequence::Find,
                             QStringLiteral("magnifyingglass"))),
            &QAction::triggered, this, [sidebar] {
                if (auto* view = sidebar()) {
                    view->focusSearchField();
                }
            });
    connect(remember(QStringLiteral("findNext"),
                     addItem(find, QStringLiteral("Find Next"), QKeySequence::FindNext)),
            &QAction::triggered, this, [sidebar] {
                if (auto* view = sidebar()) {
                    view->selectAdjacentDevice(1);
                }
            });
    connect(remember(QStringLiteral("findPrevious"),
                     addItem(find, QStringLiteral("Find Previous"), QKeySequence::FindPrevious)),
            &QAction::triggered, this, [sidebar] {
                if (auto* view = sidebar()) {
                    view->selectAdjacentDevice(-1);
                }
            });
    connect(remember(QStringLiteral("useSelectionForFind"),
                     addItem(find, QStringLiteral("Use Selection for Find"),
                             QKeySequence(Qt::CTRL | Qt::Key_E))),
            &QAction::triggered, this, [this, sidebar] {
                auto* view = sidebar();
                auto* tab = currentTab();
                if (!view || !tab) {
                    return;
                }
                auto* field = qobject_cast<QLineEdit*>(QApplication::focusWidget());
                const auto text =
                    field && field->hasSelectedText()
                        ? field->selectedText()
                        : (tab->selected().entry() ? tab->selected().entry()->localizedName()
                                                   : QString());
                if (!text.isEmpty()) {
                    view->searchField()->setText(text);
                }
            });
    connect(remember(QStringLiteral("jumpToSelection"),
                     addItem(find, QStringLiteral("Jump to Selection"),
                             QKeySequence(Qt::CTRL | Qt::Key_J))),
            &QAction::triggered, this, [sidebar] {
                if (auto* view = sidebar()) {
                    view->revealSelection();
                }
            });

    auto* view = bar->addMenu(QStringLiteral("&View"));
    auto* toggleSidebarAction =
        remember(QStringLiteral("toggleSidebar"),
                 addItem(view, QStringLiteral("Toggle Sidebar"), QKeySequence(Qt::Key_F9),
                         QStringLiteral("sidebar.left")));
    toggleSidebarAction->setCheckable(true);
    connect(toggleSidebarAction, &QAction::triggered, this, &MainWindowController::toggleSidebar);
    auto* toggleInspectorAction = remember(
        QStringLiteral("toggleInspector"),
        addItem(view, QStringLiteral("Toggle Inspector"),
                QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_I), QStringLiteral("sidebar.right")));
    toggleInspectorAction->setCheckable(true);
    connect(toggleInspectorAction, &QAction::triggered, this,
            &MainWindowController::toggleInspector);
    connect(remember(QStringLiteral("toggleLog"),
                     addItem(view, QStringLiteral("Toggle Event Log"),
                             QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Y),
                             QStringLiteral("list.bullet.rectangle"))),
            &QAction::triggered, this, &MainWindowController::toggleLog);
    view->addSeparator();
    const struct {
        const char* name;
        const char* title;
        void (MainWindowController::*toggle)();
    } switches[] = {
        {"toggleCameraPreview", "Camera Preview", &MainWindowController::toggleCameraPreview},
        {"toggleCameraMirror", "Mirror Camera Preview", &MainWindowController::toggleCameraMirror},
        {"toggleMicrophoneMeter", "Microphone Meter", &MainWindowController::toggleMicrophoneMeter},
    };
    for (const auto& item : switches) {
        auto* action = remember(QString::fromLatin1(item.name),
                                view->addAction(QString::fromLatin1(item.title)));
        action->setCheckable(true);
        connect(action, &QAction::triggered, this, item.toggle);
    }
    view->addSeparator();
    auto* showToolbar = remember(QStringLiteral("toggleToolbarShown"),
                                 addItem(view, QStringLiteral("Show Toolbar"),
                                         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T)));
    showToolbar->setCheckable(true);
    showToolbar->setChecked(toolbarConfiguration_.isShown());
    connect(showToolbar, &QAction::toggled, this,
            [this](bool shown) { toolbarConfiguration_.setShown(shown); });
    connect(&toolbarConfiguration_, &ToolbarConfiguration::isShownChanged, showToolbar,
            [this, showToolbar] { showToolbar->setChecked(toolbarConfiguration_.isShown()); });
    connect(remember(QStringLiteral("customizeToolbar"),
                     view->addAction(QStringLiteral("Customize Toolbar\u2026"))),
            &QAction::triggered, this, &MainWindowController::customizeToolbar);
    view->addSeparator();
    auto* fullScreen =
        remember(QStringLiteral("toggleFullScreen"),
                 addItem(view, QStringLiteral("Enter Full Screen"), QKeySequence::FullScreen,
                         QStringLiteral("arrow.up.left.and.arrow.down.right")));
    connect(fullScreen, &QAction::triggered, this, [this] {
        if (isFullScreen()) {
            showNormal();
        } else {
            showFullScreen();
        }
    });

    auto* window = bar->addMenu(QStringLiteral("&Window"));
    connect(remember(QStringLiteral("minimize"), addItem(window, QStringLiteral("Minimize"),
                                                         QKeySequence(Qt::CTRL | Qt::Key_M))),
            &QAction::triggered, this, &QWidget::showMinimized);
    connect(remember(QStringLiteral("zoom"), window->addAction(QStringLiteral("Zoom"))),
            &QAction::triggered, this, [this] {
                if (isMaximized()) {
                    showNormal();
                } else {
                    showMaximized();
                }
            });
    window->addSeparator();
    connect(remember(QStringLiteral("bringAllToFront"),
                     window->addAction(QStringLiteral("Bring All to Front"))),
            &QAction::triggered, this, [this] {
                for (auto* open : delegate_.windows()) {
                    open->raise();
                }
                raise();
                activateWindow();
            });
    window->addSeparator();
    // The open windows, listed afresh each time the menu opens.
    auto* windowList = new QActionGroup(window);
    connect(window, &QMenu::aboutToShow, this, [this, window, windowList] {
        for (auto* action : windowList->actions()) {
            window->removeAction(action);
            delete action;
        }
        for (auto* open : delegate_.windows()) {
            auto* action = window->addAction(open->windowTitle());
            action->setCheckable(true);
            action->setChecked(open == this);
            windowList->addAction(action);
            connect(action, &QAction::triggered, open, [open] {
                open->raise();
                open->activateWindow();
            });
        }
    });

    auto* help = bar->addMenu(QStringLiteral("&Help"));
    connect(remember(QStringLiteral("help"),
                     addItem(help, QStringLiteral("Tavrin Help"), QKeySequence::HelpContents,
                             QStringLiteral("questionmark.circle"))),
            &QAction::triggered, this, [this] {
                QMessageBox::information(
                    this, QStringLiteral("Tavrin Help"),
                    QStringLiteral(
                        "<p>Choose a camera, microphone or display in the sidebar. The centre "
                        "shows it and its event log; the inspector on the right edits it.</p>"
                        "<p>Every change Tavrin sees on a device is a timestamped line in the "
                        "device's log. The toolbar switches the camera preview, its mirror and "
                        "the microphone meter for the window's tab.</p>"
                        "<p>Keys: Ctrl+F filters the devices, F9 shows or hides the sidebar, "
                        "Ctrl+Alt+I the inspector, Ctrl+Shift+Y the event log, Ctrl+T opens a "
                        "tab.</p>"));
            });
    auto* about = remember(QStringLiteral("about"), addItem(help, QStringLiteral("About Tavrin"),
                                                            {}, QStringLiteral("info.circle")));
    about->setMenuRole(QAction::AboutRole);
    connect(about, &QAction::triggered, this, [this] {
        QMessageBox::about(this, QStringLiteral("About Tavrin"),
                           QStringLiteral("<h3>Tavrin %1</h3><p>An inspector of the computer's "
                                          "cameras, microphones and displays, for people who "
                                          "build and test capture software.</p>")
                               .arg(QStringLiteral(TAVRIN_VERSION)));
    });
}

// The Edit items act on the focused widget: a text field, or a view that offers the action
// (the event log's list copies its lines).
void MainWindowController::editAction(const char* method) {
    auto* focused = QApplication::focusWidget();
    if (!focused) {
        return;
    }
    if (auto* field = qobject_cast<QLineEdit*>(focused)) {
        const QByteArray name(method);
        if (name == "undo") {
            field->undo();
        } else if (name == "redo") {
            field->redo();
        } else if (name == "cut") {
            field->cut();
        } else if (name == "copy") {
            field->copy();
        } else if (name == "paste") {
            field->paste();
        } else if (name == "del") {
            field->del();
        } else if (name == "selectAll") {
            field->selectAll();
        }
        return;
    }
    const auto signature = QByteArray(method) + "()";
    if (focused->metaObject()->indexOfMethod(signature.constData()) >= 0) {
        QMetaObject::invokeMethod(focused, method);
    } else if (auto* list = qobject_cast<QAbstractItemView*>(focused);
               list && QByteArray(method) == "selectAll") {
        list->selectAll();
    }
}

}  // namespace tavrin
