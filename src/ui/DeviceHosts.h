#pragma once

#include <QWidget>

class QStackedLayout;

namespace tavrin {

class AppContext;
class DeviceCanvas;
class DeviceStore;
class EventLogPane;
class InspectorView;
class PlaceholderView;
class SelectedDevice;
class WindowState;

// The three panes that turn a window's selection into a device's view or a placeholder.
class DeviceHost : public QWidget {
    Q_OBJECT
public:
    // The placeholder shown without a selected device.
    PlaceholderView* placeholder() const { return placeholder_; }
    bool showsPlaceholder() const;

protected:
    DeviceHost(DeviceStore& store, WindowState& state, PlaceholderView* placeholder,
               QWidget* parent);
    // Builds the page shown while a device is selected; called once. The page follows the
    // selection itself.
    virtual QWidget* makePage() = 0;

    SelectedDevice* selected() const { return selected_; }
    // Shows the selection; each pane calls it once it is built.
    void refresh();

private:
    SelectedDevice* selected_;
    QStackedLayout* stack_;
    PlaceholderView* placeholder_;
};

// The upper centre pane: the device's canvas, or "Select a Device". The canvas is built anew
// when another device is selected, and only then, so that its live sections start and stop with
// the selection.
class CanvasHost final : public DeviceHost {
    Q_OBJECT
public:
    CanvasHost(AppContext& context, WindowState& state, QWidget* parent = nullptr);

    // The selected device's canvas; null without a selection.
    DeviceCanvas* canvas() const { return canvas_; }

protected:
    QWidget* makePage() override;

private:
    void rebuild();

    AppContext& context_;
    WindowState& state_;
    QWidget* page_ = nullptr;
    DeviceCanvas* canvas_ = nullptr;
    // The control to give the keyboard on the next canvas, by its name; empty for none.
    QString focusAfterRebuild_;
};

// The lower centre pane: the device's event log, or "No device selected". Each selected device
// gets a pane of its own, so that scope and selection start afresh.
class LogHost final : public DeviceHost {
    Q_OBJECT
public:
    LogHost(DeviceStore& store, WindowState& state, QWidget* parent = nullptr);

    // The height of the header bar alone: the log is collapsed at this height.
    static constexpr int headerHeight = 36;

    // The selected device's pane; null without a selection.
    EventLogPane* pane() const { return pane_; }

signals:
    // The pane's collapse button.
    void toggleLogRequested();

protected:
    QWidget* makePage() override;

private:
    void showPane();

    DeviceStore& store_;
    QWidget* page_ = nullptr;
    EventLogPane* pane_ = nullptr;
};

// The right pane: the device's inspector, or "No Device Selected". The inspector is built anew
// when another device is selected, and only then.
class InspectorHost final : public DeviceHost {
    Q_OBJECT
public:
    InspectorHost(AppContext& context, WindowState& state, QWidget* parent = nullptr);

    // The selected device's inspector; null without a selection.
    InspectorView* inspector() const { return inspector_; }

protected:
    QWidget* makePage() override;

private:
    void rebuild();

    AppContext& context_;
    WindowState& state_;
    QWidget* page_ = nullptr;
    InspectorView* inspector_ = nullptr;
};

}  // namespace tavrin
