#pragma once

#include <QObject>
#include <optional>

#include "catalogue/DeviceEntry.h"

namespace tavrin {

class DeviceStore;
class WindowState;

// The entry a window's selection names, followed as the selection and the device lists change:
// `entryChanged` when another entry (or none) is selected, `nameChanged` and `titleChanged` when
// the selected device's name or window subtitle changes. Main thread.
class SelectedDevice final : public QObject {
    Q_OBJECT
public:
    SelectedDevice(DeviceStore& store, WindowState& state, QObject* parent = nullptr);

    const std::optional<DeviceEntry>& entry() const { return entry_; }

signals:
    void entryChanged();
    void nameChanged();
    void titleChanged();

private:
    void resolve();

    DeviceStore& store_;
    WindowState& state_;
    std::optional<DeviceEntry> entry_;
    // Carries the connections to the selected model; replaced with the selection.
    QObject* watcher_ = nullptr;
};

}  // namespace tavrin
