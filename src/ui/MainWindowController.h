#pragma once

#include <QHash>
#include <QMainWindow>

#include "ui/DeferredSave.h"

class QAction;
class QTabWidget;
class QToolBar;

namespace tavrin {

class AppContext;
class AppDelegate;
class ToolbarConfiguration;
class ToolbarStrip;
class WindowTab;

// One main window: its tabs (each with its own window state and split), the menu bar, and the
// toolbar of the current tab. The title, the toolbar's enabled and tinted items follow the
// current tab's selection and switches, and the selected device's name and status. The toggle
// actions flip the current tab's switches and log the change for a matching device.
class MainWindowController final : public QMainWindow {
    Q_OBJECT
public:
    static constexpr QSize defaultSize{1240, 700};
    static constexpr QSize minimumSize{940, 360};

    MainWindowController(AppDelegate& delegate, AppContext& context,
                         ToolbarConfiguration& toolbarConfiguration);
    ~MainWindowController() override;

    WindowTab* currentTab() const;
    QList<WindowTab*> tabs() const;
    QTabWidget* tabWidget() const { return tabs_; }
    QToolBar* toolbar() const { return toolbar_; }
    ToolbarStrip* toolbarStrip() const { return strip_; }
    // The window's subtitle, also shown in its title after " — ".
    const QString& subtitle() const { return subtitle_; }
    QAction* action(const QString& name) const { return actions_.value(name); }

    WindowTab* newTab();
    void closeCurrentTab();
    void toggleCameraPreview();
    void toggleCameraMirror();
    void toggleMicrophoneMeter();
    void toggleLog();
    void toggleSidebar();
    void toggleInspector();
    void customizeToolbar();

signals:
    void refreshed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildMenus();
    void buildToolbar();
    void wireToolbar();
    void followCurrentTab();
    void scheduleRefresh();
    void refresh();
    void updateTabTitles();
    void logToggle(bool isCameraToggle, const QString& whenOn, const QString& whenOff, bool on);
    // Edit menu items act on the focused widget.
    void editAction(const char* method);
    void saveFrame();

    AppDelegate& delegate_;
    AppContext& context_;
    ToolbarConfiguration& toolbarConfiguration_;
    QTabWidget* tabs_;
    QToolBar* toolbar_;
    ToolbarStrip* strip_;
    QHash<QString, QAction*> actions_;
    QString subtitle_;
    QObject* tabWatcher_ = nullptr;
    bool refreshPending_ = false;
    DeferredSave frameSaver_;
};

}  // namespace tavrin
