#pragma once

#include <QDialog>

class QListWidget;
class QPushButton;

namespace tavrin {

class ToolbarConfiguration;

// "Customize Toolbar…": the allowed items on the left, the toolbar's items in order on the
// right. Items are added, removed and reordered with the buttons (or by double-clicking), the
// default set comes back with "Restore Defaults", and OK applies the order to every window.
class ToolbarCustomizeDialog final : public QDialog {
    Q_OBJECT
public:
    ToolbarCustomizeDialog(ToolbarConfiguration& configuration, QWidget* parent = nullptr);

    QListWidget* availableList() const { return available_; }
    QListWidget* toolbarList() const { return toolbar_; }
    QStringList chosenItems() const;

    void addSelected();
    void removeSelected();
    void moveSelected(int step);
    void restoreDefaults();

private:
    void setChosen(const QStringList& items);
    void refreshAvailable();
    void updateButtons();

    ToolbarConfiguration& configuration_;
    QListWidget* available_;
    QListWidget* toolbar_;
    QPushButton* add_;
    QPushButton* remove_;
    QPushButton* up_;
    QPushButton* down_;
};

}  // namespace tavrin
