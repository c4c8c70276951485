#pragma once

#include <QHash>
#include <QWidget>

#include "uvc/UVCControlsModel.h"

class QCheckBox;
class QComboBox;
class QLabel;

namespace tavrin {

class InspectorSection;
class InspectorSliderRow;
class InspectorRow;
class WindowState;

// A USB camera's UVC controls as up to six inspector sections of sliders, switches and pickers
// over `UVCControlsModel`. The sections appear once the camera's thread has probed the controls.
// Every edit goes to the device at once; while the view is shown the values are read back every
// second, and turning the window's preview on restores the defaults.
class UVCInspectorSection final : public QWidget {
    Q_OBJECT
public:
    UVCInspectorSection(MainThreadQueue& queue, std::shared_ptr<UVCSession> controller,
                        WindowState& state, QWidget* parent = nullptr);
    ~UVCInspectorSection() override;

    UVCControlsModel& model() { return model_; }
    QList<InspectorSection*> sections() const { return sections_; }
    InspectorSection* section(const QString& title) const;
    InspectorSliderRow* slider(UVCControlID id) const { return sliders_.value(id); }
    QCheckBox* toggle(UVCControlID id) const { return toggles_.value(id); }
    QComboBox* picker(UVCControlID id) const { return pickers_.value(id); }
    QLabel* privacyShutter() const { return privacy_; }

    // Stops and restarts the one-second reads, as when the camera goes and comes back.
    void setDeviceReachable(bool reachable);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void build();
    void refresh();
    void updateShown();

    UVCControlsModel model_;
    bool reachable_ = true;
    QList<InspectorSection*> sections_;
    QHash<UVCControlID, InspectorSliderRow*> sliders_;
    QHash<UVCControlID, QCheckBox*> toggles_;
    QHash<UVCControlID, QComboBox*> pickers_;
    QLabel* privacy_ = nullptr;
};

}  // namespace tavrin
