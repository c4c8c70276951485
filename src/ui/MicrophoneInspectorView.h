#pragma once

#include <QList>
#include <QWidget>

#include <memory>
#include "ui/InspectorIndex.h"

#include "audio/AudioCaptureClient.h"
#include "runtime/MainThreadQueue.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace tavrin {

class AppContext;
class ElidedLabel;
class InspectorRow;
class InspectorSection;
class InspectorSliderRow;
class MicrophoneDevice;
class TransportView;

// The inspector of a microphone: its identity, mute, format, volume, input sources, default-input
// choice and, refreshed every second while shown, the processes capturing from it.
class MicrophoneInspectorView final : public QWidget {
    Q_OBJECT
public:
    MicrophoneInspectorView(AppContext& context, std::shared_ptr<MicrophoneDevice> microphone,
                            QWidget* parent = nullptr);

    const QList<AudioCaptureClient>& captureClients() const { return captureClients_; }

    InspectorSection* section(const QString& title) const { return index_.section(title); }
    InspectorRow* row(const QString& label) const { return index_.row(label); }
    QComboBox* sampleRatePicker() const { return sampleRatePicker_; }
    QComboBox* inputSourcePicker() const { return inputSourcePicker_; }
    QCheckBox* muteSwitch() const { return muteSwitch_; }
    InspectorSliderRow* volumeRow() const { return volume_; }
    QPushButton* makeDefaultButton() const { return makeDefault_; }

    static constexpr std::chrono::seconds clientRefreshInterval{1};

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    InspectorRow* addRow(InspectorSection* section, InspectorRow* row) {
        return index_.add(section, row);
    }
    void refresh();
    void refreshClients();
    void scheduleClientRefresh();
    void showClients();
    void showInputSources();

    AppContext& context_;
    std::shared_ptr<MicrophoneDevice> microphone_;
    QList<AudioCaptureClient> captureClients_;
    TimerHandle clientRefresh_;
    InspectorIndex index_;
    TransportView* transport_;
    QCheckBox* muteSwitch_;
    QLabel* muteText_;
    ElidedLabel* uniqueID_;
    InspectorSection* capturedBy_;
    QList<QWidget*> clientRows_;
    InspectorSection* audioFormat_;
    QComboBox* sampleRatePicker_;
    QLabel* sampleRateText_;
    InspectorSliderRow* volume_;
    InspectorSection* inputSource_;
    QComboBox* inputSourcePicker_;
    QLabel* activeSourceText_;
    QList<QWidget*> sourceRows_;
    QPushButton* makeDefault_;
};

}  // namespace tavrin
