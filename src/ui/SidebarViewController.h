#pragma once

#include <QSet>
#include <QUuid>
#include <QWidget>

class QLabel;
class QLineEdit;
class QTreeView;

namespace tavrin {

class DeviceStore;
class SidebarModel;
class SymbolCatalog;
class WindowState;

// The left pane: the filter field, the device tree and the "N active • M total" footer. It
// writes the user's choice into the window state and follows the selection, the filter, the
// device lists and every device's status; a name change alone only repaints its row.
class SidebarViewController final : public QWidget {
    Q_OBJECT
public:
    SidebarViewController(DeviceStore& store, const SymbolCatalog& symbols, WindowState& state,
                          QWidget* parent = nullptr);

    QLineEdit* searchField() const { return searchField_; }
    QTreeView* outlineView() const { return outlineView_; }
    SidebarModel* model() const { return model_; }
    QString footerText() const;

    // Puts the focus in the filter field with its text selected (Find…).
    void focusSearchField();
    // Selects the next or previous device row, wrapping around (Find Next, Find Previous).
    void selectAdjacentDevice(int step);
    // Scrolls the selected row into view (Jump to Selection).
    void revealSelection();
    // How many times the tree was rebuilt, for tests that count rebuilds.
    int rebuildCount() const { return rebuildCount_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void scheduleRebuild();
    void rebuild();
    void followNewDevices();
    void alignSelection();
    void selectionDidChange();
    void updateFooter();
    void saveExpansion();

    DeviceStore& store_;
    WindowState& state_;
    QLineEdit* searchField_;
    QTreeView* outlineView_;
    SidebarModel* model_;
    QLabel* footerLabel_;
    QSet<QUuid> followed_;
    bool rebuildPending_ = false;
    bool ignoreSelectionRoundTrip_ = false;
    int rebuildCount_ = 0;
};

}  // namespace tavrin
