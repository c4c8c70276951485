#pragma once

#include <QWidget>

namespace tavrin {

class AppContext;
class MainSplitController;
class SelectedDevice;
class WindowState;

// One tab of a main window: its own window state and split layout. A new tab selects the
// store's default device; while nothing is selected, the default is adopted as soon as the
// first devices are listed, so a window opened at start doesn't stay empty.
class WindowTab final : public QWidget {
    Q_OBJECT
public:
    WindowTab(AppContext& context, QWidget* parent = nullptr);

    WindowState& state() const { return *state_; }
    MainSplitController& split() const { return *split_; }
    SelectedDevice& selected() const { return *selected_; }

private:
    void adoptDefaultSelection();

    AppContext& context_;
    WindowState* state_;
    SelectedDevice* selected_;
    MainSplitController* split_;
    bool hasAdoptedDefault_ = false;
};

}  // namespace tavrin
