#pragma once

#include <QScrollArea>

#include "catalogue/DeviceEntry.h"

namespace tavrin {

class AppContext;
class CameraDetailView;
class DisplayDetailView;
class MicrophoneDetailView;
class WindowState;

// A device's page in the upper centre pane: the detail view of the entry's kind, padded 20
// points, filling the width and anchored at the top of a vertical scroll area.
class DeviceCanvas final : public QScrollArea {
    Q_OBJECT
public:
    static constexpr int padding = 20;

    DeviceCanvas(const DeviceEntry& entry, AppContext& context, WindowState& state,
                 QWidget* parent = nullptr);

    const DeviceEntry& entry() const { return entry_; }
    // The page; only the one of the entry's kind is present.
    QWidget* detailView() const { return detail_; }
    CameraDetailView* cameraView() const;
    MicrophoneDetailView* microphoneView() const;
    DisplayDetailView* displayView() const;

private:
    DeviceEntry entry_;
    QWidget* detail_;
};

}  // namespace tavrin
