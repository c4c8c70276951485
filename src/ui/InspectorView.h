#pragma once

#include <QScrollArea>

#include "catalogue/DeviceEntry.h"

namespace tavrin {

class AppContext;
class CameraInspectorView;
class DisplayInspectorView;
class MicrophoneInspectorView;
class WindowState;

// The inspector pane's content for one selected device: the inspector of its kind in a
// vertical scroll area on the window background. Made anew for each selection.
class InspectorView final : public QScrollArea {
    Q_OBJECT
public:
    InspectorView(AppContext& context, WindowState& state, const DeviceEntry& entry,
                  QWidget* parent = nullptr);

    const DeviceEntry& entry() const { return entry_; }
    // The inspector of the entry's kind; the others are null.
    CameraInspectorView* cameraView() const;
    MicrophoneInspectorView* microphoneView() const;
    DisplayInspectorView* displayView() const;

private:
    DeviceEntry entry_;
};

}  // namespace tavrin
