#include "ui/InspectorView.h"

#include "ui/CameraInspectorView.h"
#include "ui/DisplayInspectorView.h"
#include "ui/MicrophoneInspectorView.h"

namespace tavrin {

InspectorView::InspectorView(AppContext& context, WindowState& state, const DeviceEntry& entry,
                             QWidget* parent)
    : QScrollArea(parent), entry_(entry) {
    // It takes the keyboard, so that the arrow keys scroll it: a screen reader names it then.
    setAccessibleName(QStringLiteral("Inspector"));
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setWidgetResizable(true);
    setBackgroundRole(QPalette::Window);
    viewport()->setBackgroundRole(QPalette::Window);
    QWidget* content = nullptr;
    switch (entry.kind()) {
        case DeviceEntry::Kind::camera:
            content = new CameraInspectorView(context, state, entry.camera());
            break;
        case DeviceEntry::Kind::microphone:
            content = new MicrophoneInspectorView(context, entry.microphone());
            break;
        case DeviceEntry::Kind::display:
            content = new DisplayInspectorView(entry.display());
            break;
    }
    content->setBackgroundRole(QPalette::Window);
    setWidget(content);
}

CameraInspectorView* InspectorView::cameraView() const {
    return qobject_cast<CameraInspectorView*>(widget());
}

MicrophoneInspectorView* InspectorView::microphoneView() const {
    return qobject_cast<MicrophoneInspectorView*>(widget());
}

DisplayInspectorView* InspectorView::displayView() const {
    return qobject_cast<DisplayInspectorView*>(widget());
}

}  // namespace tavrin
