#include "ui/MainWindowController.h"

#include <QAction>
#include <QCloseEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>

#include "app/AppContext.h"
#include "catalogue/EventSource.h"
#include "ui/AppDelegate.h"
#include "ui/MainSplitController.h"
#include "ui/SelectedDevice.h"
#include "ui/Settings.h"
#include "ui/ToolbarConfiguration.h"
#include "ui/ToolbarCustomizeDialog.h"
#include "ui/ToolbarItems.h"
#include "ui/ToolbarStrip.h"
#include "ui/VerticalSplitController.h"
#include "ui/WindowState.h"
#include "ui/WindowTab.h"
#include "ui/WindowTitle.h"

namespace tavrin {

MainWindowController::MainWindowController(AppDelegate& delegate, AppContext& context,
                                           ToolbarConfiguration& toolbarConfiguration)
    : delegate_(delegate),
      context_(context),
      toolbarConfiguration_(toolbarConfiguration),
      tabs_(new QTabWidget(this)),
      toolbar_(new QToolBar(QStringLiteral("Toolbar"), this)),
      strip_(new ToolbarStrip(toolbarConfiguration, toolbar_)),
      frameSaver_([this] { openSettings()->setValue(SettingsKey::mainWindow, saveGeometry()); }) {
    setWindowTitle(QStringLiteral("Tavrin"));
    setMinimumSize(minimumSize);
    resize(defaultSize);
    tabs_->setDocumentMode(true);
    tabs_->setTabsClosable(true);
    tabs_->setMovable(true);
    tabs_->setTabBarAutoHide(true);  // the tab bar shows from two tabs on
    // The tab widget hands its focus to its tab bar, which is hidden with one tab: Tab would
    // leave the last control for nowhere. The tab bar takes focus itself when shown.
    tabs_->setFocusPolicy(Qt::NoFocus);
    setCentralWidget(tabs_);
    connect(tabs_, &QTabWidget::tabCloseRequested, this, [this](int index) {
        if (tabs_->count() <= 1) {
            close();
            return;
        }
        auto* tab = tabs_->widget(index);
        tabs_->removeTab(index);
        tab->deleteLater();
    });
    connect(tabs_, &QTabWidget::currentChanged, this, &MainWindowController::followCurrentTab);

    buildToolbar();
    buildMenus();
    newTab();
}

WindowTab* MainWindowController::currentTab() const {
    return qobject_cast<WindowTab*>(tabs_->currentWidget());
}

QList<WindowTab*> MainWindowController::tabs() const {
    QList<WindowTab*> all;
    for (int index = 0; index < tabs_->count(); ++index) {
        all.append(qobject_cast<WindowTab*>(tabs_->widget(index)));
    }
    return all;
}

WindowTab* MainWindowController::newTab() {
    auto* tab = new WindowTab(context_, tabs_);
    connect(&tab->selected(), &SelectedDevice::entryChanged, this,
            &MainWindowController::updateTabTitles);
    connect(&tab->selected(), &SelectedDevice::nameChanged, this,
            &MainWindowController::updateTabTitles);
    tabs_->setCurrentIndex(tabs_->addTab(tab, QStringLiteral("Tavrin")));
    updateTabTitles();
    return tab;
}

void MainWindowController::closeCurrentTab() {
    if (tabs_->count() > 0) {
        emit tabs_->tabCloseRequested(tabs_->currentIndex());
    }
}

void MainWindowController::updateTabTitles() {
    for (int index = 0; index < tabs_->count(); ++index) {
        auto* tab = qobject_cast<WindowTab*>(tabs_->widget(index));
        tabs_->setTabText(index, WindowTitle::of(tab->selected().entry()).title);
    }
}

void MainWindowController::buildToolbar() {
    toolbar_->setObjectName(SettingsKey::toolbar);
    toolbar_->setMovable(false);
    toolbar_->setFloatable(false);
    toolbar_->toggleViewAction()->setEnabled(false);  // "Show Toolbar" does this
    toolbar_->setContextMenuPolicy(Qt::PreventContextMenu);
    toolbar_->addWidget(strip_);
    addToolBar(Qt::TopToolBarArea, toolbar_);
    toolbar_->setVisible(toolbarConfiguration_.isShown());
    connect(&toolbarConfiguration_, &ToolbarConfiguration::isShownChanged, this,
            [this] { toolbar_->setVisible(toolbarConfiguration_.isShown()); });
    strip_->setDividers([this]() -> std::pair<std::optional<int>, std::optional<int>> {
        auto* tab = currentTab();
        if (!tab) {
            return {};
        }
        auto& split = tab->split();
        auto map = [&](std::optional<int> x) -> std::optional<int> {
            if (!x) {
                return std::nullopt;
            }
            return strip_->mapFromGlobal(split.mapToGlobal(QPoint(*x, 0))).x();
        };
        return {map(split.sidebarDivider()), map(split.inspectorDivider())};
    });
    connect(strip_, &ToolbarStrip::triggered, this, [this](const QString& identifier) {
        if (identifier == ToolbarItem::toggleSidebar) {
            toggleSidebar();
        } else if (identifier == ToolbarItem::toggleInspector) {
            toggleInspector();
        } else if (identifier == ToolbarItem::cameraPreviewToggle) {
            toggleCameraPreview();
        } else if (identifier == ToolbarItem::cameraMirrorToggle) {
            toggleCameraMirror();
        } else if (identifier == ToolbarItem::microphoneMeterToggle) {
            toggleMicrophoneMeter();
        }
    });
    connect(strip_, &ToolbarStrip::buttonsRebuilt, this, &MainWindowController::refresh);
}

void MainWindowController::followCurrentTab() {
    delete tabWatcher_;
    tabWatcher_ = nullptr;
    auto* tab = currentTab();
    if (!tab) {
        return;
    }
    tabWatcher_ = new QObject(this);
    auto& state = tab->state();
    for (const auto signal :
         {&WindowState::selectionChanged, &WindowState::cameraPreviewEnabledChanged,
          &WindowState::cameraPreviewMirroredChanged,
          &WindowState::microphoneMeterEnabledChanged}) {
        connect(&state, signal, tabWatcher_, [this] { scheduleRefresh(); });
    }
    connect(&tab->selected(), &SelectedDevice::entryChanged, tabWatcher_,
            [this] { scheduleRefresh(); });
    connect(&tab->selected(), &SelectedDevice::titleChanged, tabWatcher_,
            [this] { scheduleRefresh(); });
    connect(&tab->split(), &MainSplitController::layoutChanged, tabWatcher_,
            [this] { strip_->relayout(); });
    strip_->relayout();
    refresh();
}

void MainWindowController::scheduleRefresh() {
    if (std::exchange(refreshPending_, true)) {
        return;
    }
    QMetaObject::invokeMethod(this, &MainWindowController::refresh, Qt::QueuedConnection);
}

void MainWindowController::refresh() {
    refreshPending_ = false;
    auto* tab = currentTab();
    if (!tab) {
        return;
    }
    const auto& entry = tab->selected().entry();
    const auto title = WindowTitle::of(entry);
    subtitle_ = title.subtitle;
    setWindowTitle(title.text());

    const auto kind = entry ? std::optional(entry->kind()) : std::nullopt;
    const auto& state = tab->state();
    const bool camera = kind == DeviceEntry::Kind::camera;
    const bool microphone = kind == DeviceEntry::Kind::microphone;
    struct Item {
        const QString& identifier;
        const char* action;
        bool enabled;
        bool on;
    };
    const Item items[] = {
        {ToolbarItem::cameraPreviewToggle, "toggleCameraPreview", camera,
         state.isCameraPreviewEnabled()},
        {ToolbarItem::cameraMirrorToggle, "toggleCameraMirror",
         camera && state.isCameraPreviewEnabled(), state.isCameraPreviewMirrored()},
        {ToolbarItem::microphoneMeterToggle, "toggleMicrophoneMeter", microphone,
         state.isMicrophoneMeterEnabled()},
    };
    for (const auto& item : items) {
        if (auto* button = strip_->button(item.identifier)) {
            button->setEnabled(item.enabled);
        }
        strip_->setTinted(item.identifier, item.on);
        // The View menu's item is offered exactly when the toolbar's button is.
        if (auto* action = actions_.value(QString::fromLatin1(item.action))) {
            action->setEnabled(item.enabled);
            action->setChecked(item.on);
        }
    }
    if (auto* action = actions_.value(QStringLiteral("toggleSidebar"))) {
        action->setChecked(tab->split().isSidebarShown());
    }
    if (auto* action = actions_.value(QStringLiteral("toggleInspector"))) {
        action->setChecked(tab->split().isInspectorShown());
    }
    emit refreshed();
}

void MainWindowController::logToggle(bool isCameraToggle, const QString& whenOn,
                                     const QString& whenOff, bool on) {
    auto* tab = currentTab();
    const auto& entry = tab ? tab->selected().entry() : std::nullopt;
    if (!entry) {
        return;
    }
    const auto wanted = isCameraToggle ? DeviceEntry::Kind::camera : DeviceEntry::Kind::microphone;
    if (entry->kind() != wanted) {
        return;
    }
    context_.eventLog().record(entry->localizedName() + (on ? whenOn : whenOff), EventSource::app,
                               entry->id());
}

void MainWindowController::toggleCameraPreview() {
    if (auto* tab = currentTab()) {
        auto& state = tab->state();
        state.setCameraPreviewEnabled(!state.isCameraPreviewEnabled());
        logToggle(true, QStringLiteral(" preview started"), QStringLiteral(" preview stopped"),
                  state.isCameraPreviewEnabled());
    }
}

void MainWindowController::toggleCameraMirror() {
    if (auto* tab = currentTab()) {
        auto& state = tab->state();
        state.setCameraPreviewMirrored(!state.isCameraPreviewMirrored());
        logToggle(true, QStringLiteral(" preview mirrored"), QStringLiteral(" preview unmirrored"),
                  state.isCameraPreviewMirrored());
    }
}

void MainWindowController::toggleMicrophoneMeter() {
    if (auto* tab = currentTab()) {
        auto& state = tab->state();
        state.setMicrophoneMeterEnabled(!state.isMicrophoneMeterEnabled());
        logToggle(false, QStringLiteral(" meter started"), QStringLiteral(" meter stopped"),
                  state.isMicrophoneMeterEnabled());
    }
}

void MainWindowController::toggleLog() {
    if (auto* tab = currentTab()) {
        tab->split().center()->toggleLog();
    }
}

void MainWindowController::toggleSidebar() {
    if (auto* tab = currentTab()) {
        tab->split().toggleSidebar();
        refresh();
    }
}

void MainWindowController::toggleInspector() {
    if (auto* tab = currentTab()) {
        tab->split().toggleInspector();
        refresh();
    }
}

void MainWindowController::customizeToolbar() {
    ToolbarCustomizeDialog dialog(toolbarConfiguration_, this);
    dialog.exec();
}

MainWindowController::~MainWindowController() {
    frameSaver_.flush();
}

void MainWindowController::closeEvent(QCloseEvent* event) {
    saveFrame();
    frameSaver_.flush();
    QMainWindow::closeEvent(event);
}

void MainWindowController::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    saveFrame();
}

void MainWindowController::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    saveFrame();
    strip_->relayout();
}

void MainWindowController::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        if (auto* action = actions_.value(QStringLiteral("toggleFullScreen"))) {
            action->setText(isFullScreen() ? QStringLiteral("Exit Full Screen")
                                           : QStringLiteral("Enter Full Screen"));
        }
    }
}

void MainWindowController::saveFrame() {
    if (isVisible() && delegate_.isFrameAutosaved(this)) {
        frameSaver_.schedule();
    }
}

}  // namespace tavrin
