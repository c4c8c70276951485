#pragma once

#include <QList>
#include <QObject>
#include <QPoint>

namespace tavrin {

class AppContext;
class MainWindowController;
class ToolbarConfiguration;

// The application's windows: it opens them (the first one where it was last left, or centred
// at 1240 × 700; the others cascaded), keeps the list of open ones and the toolbar set they
// share. The store and the log are the context's, shared by every window. Main thread.
class AppDelegate final : public QObject {
    Q_OBJECT
public:
    explicit AppDelegate(AppContext& context, QObject* parent = nullptr);
    ~AppDelegate() override;

    MainWindowController* openWindow();
    QList<MainWindowController*> windows() const;
    ToolbarConfiguration& toolbarConfiguration() const { return *toolbarConfiguration_; }
    // The window whose frame is kept under "Tavrin.MainWindow": the first one opened.
    bool isFrameAutosaved(const MainWindowController* window) const;
    QPoint cascadeTopLeft() const { return cascadeTopLeft_; }

private:
    void placeFirstWindow(MainWindowController& window);

    AppContext& context_;
    ToolbarConfiguration* toolbarConfiguration_;
    // Removed as each window is destroyed.
    QList<MainWindowController*> windows_;
    const QObject* autosaved_ = nullptr;
    QPoint cascadeTopLeft_;
};

}  // namespace tavrin
