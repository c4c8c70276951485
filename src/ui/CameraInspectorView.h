#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>
#include "ui/InspectorIndex.h"

#include "platform/CaptureDevice.h"
#include "runtime/MainThreadQueue.h"
#include "runtime/Subscription.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace tavrin {

class AppContext;
class CameraDevice;
class ElidedLabel;
class InspectorRow;
class InspectorSection;
class InspectorSliderRow;
class TransportView;
class UVCInspectorSection;
class VideoEffectsObserver;
class WindowState;
struct CaptureDeviceFormat;
struct ConfigurationError;

// A picker's title of a camera format: "1280 × 720 · 420v (NV12)".
QString cameraFormatTitle(const CaptureDeviceFormat& format);
// The inspector's name of a colour space.
QString inspectorColorSpaceName(int colorSpace);

// The inspector of a camera: identity, format and frame rate, colour space, auto modes, video
// effects, the preferred-camera choice and, for a USB camera that answers UVC requests, its
// controls. Every control writes through the camera's configuration commands; a failed one
// shows an alert, and the controls go back to what the camera reports.
class CameraInspectorView final : public QWidget {
    Q_OBJECT
public:
    CameraInspectorView(AppContext& context, WindowState& state,
                        std::shared_ptr<CameraDevice> camera, QWidget* parent = nullptr);
    ~CameraInspectorView() override;

    InspectorSection* section(const QString& title) const { return index_.section(title); }
    InspectorRow* row(const QString& label) const { return index_.row(label); }
    QComboBox* formatPicker() const { return formatPicker_; }
    // A format with one range of rates has a slider over it (disabled for a single rate); one
    // with several (a webcam's discrete rates) has a picker of them, fastest first.
    InspectorSliderRow* frameRateRow() const { return frameRate_; }
    QComboBox* frameRatePicker() const { return frameRatePicker_; }
    QComboBox* colorSpacePicker() const { return colorSpacePicker_; }
    QComboBox* modePicker(const QString& label) const;
    QCheckBox* centerStageSwitch() const { return centerStage_; }
    QPushButton* makePreferredButton() const { return makePreferred_; }
    // "Enabled · Active" and the like, as an effect's row reads.
    QString effectText(const QString& label) const;
    UVCInspectorSection* uvcSection() const { return uvc_; }
    // The text of the failed change while its alert shows.
    const std::optional<QString>& configurationError() const { return configurationError_; }
    QMessageBox* alert() const { return alert_; }

    // The processes that have the camera open, as "Opened By" shows them.
    const QList<CaptureDeviceOpener>& openers() const { return openers_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    InspectorRow* addRow(InspectorSection* section, InspectorRow* row) {
        return index_.add(section, row);
    }
    void refresh();
    void refreshFormat();
    void refreshModes();
    void refreshEffects();
    void refreshPreferred();
    // `picked`: the picker whose choice made the call, if one did.
    void report(const std::optional<ConfigurationError>& error, QComboBox* picked = nullptr);
    void scheduleOpenerRefresh();
    void showFrameRateChoices(const CaptureDeviceFormat& format, const MediaTime& active);
    void refreshOpeners();

    AppContext& context_;
    std::shared_ptr<CameraDevice> camera_;
    std::unique_ptr<VideoEffectsObserver> effects_;
    std::optional<QString> configurationError_;
    QPointer<QMessageBox> alert_;
    InspectorIndex index_;
    TransportView* transport_;
    ElidedLabel* uniqueID_;
    QComboBox* formatPicker_;
    InspectorSliderRow* frameRate_;
    QComboBox* frameRatePicker_;
    InspectorRow* frameRatePickerRow_;
    // The frame duration each of the picker's items writes.
    QList<MediaTime> pickedFrameDurations_;
    QComboBox* colorSpacePicker_;
    QLabel* colorSpaceText_;
    QList<QComboBox*> modePickers_;
    QList<QLabel*> modeTexts_;
    QCheckBox* centerStage_;
    QLabel* centerStageDot_;
    QLabel* centerStageState_;
    // Per effect row: the system-wide state and the camera's.
    QList<std::pair<QLabel*, QLabel*>> effectLabels_;
    QPushButton* makePreferred_;
    UVCInspectorSection* uvc_ = nullptr;
    std::vector<Subscription> preferredObservers_;
    InspectorSection* openedBy_;
    QList<InspectorRow*> openerRows_;
    QList<CaptureDeviceOpener> openers_;
    TimerHandle openerRefresh_;
};

}  // namespace tavrin
