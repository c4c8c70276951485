#pragma once

#include <QList>
#include <QWidget>
#include <memory>

#include "audio/ChannelLevel.h"
#include "runtime/Subscription.h"

class QLabel;
class QPushButton;
class QStackedLayout;

namespace tavrin {

class OnScreenWatch;
class AudioCaptureService;
class DeviceEventLog;
class MainThreadQueue;
class MeterLevelsView;
class MicrophoneDevice;
class MicrophoneMeter;
class SXAuthorizationStatus;
class WindowState;

// The live input level of a microphone: one bar per channel with its held peak, a decibel
// scale and each channel's peak in numbers. The meter runs only while the section is on screen,
// microphone access is granted and the window's meter switch is on.
class MicrophoneMeterSection final : public QWidget {
    Q_OBJECT
public:
    enum class Content { access, noFormat, meter };

    static constexpr int padding = 12;
    static constexpr int meterAreaHeight = 232;

    MicrophoneMeterSection(std::shared_ptr<MicrophoneDevice> microphone, WindowState& state,
                           SXAuthorizationStatus& authorization, DeviceEventLog& log,
                           MainThreadQueue& queue, AudioCaptureService& capture,
                           QWidget* parent = nullptr);
    ~MicrophoneMeterSection() override;

    Content content() const;
    // The levels on show: the meter's while it measures, else silent bars for the active
    // format's channels, else none.
    QList<ChannelLevel> displayedLevels() const;
    bool isMeterRunning() const { return meterRunning_; }

    MicrophoneMeter& meter() const { return *meter_; }
    MeterLevelsView* levelsView() const { return levels_; }
    QLabel* statusLabel() const { return statusText_; }
    QPushButton* enableButton() const { return enable_; }
    QPushButton* allowButton() const { return allow_; }

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* makeAccessPage();
    QWidget* makeNoFormatPage();
    QWidget* makeMeterPage();
    void updateMeter();
    void refresh();
    void enableMetering();

    std::shared_ptr<MicrophoneDevice> microphone_;
    WindowState& state_;
    SXAuthorizationStatus& authorization_;
    DeviceEventLog& log_;
    std::unique_ptr<MicrophoneMeter> meter_;
    bool isAuthorized_ = false;
    bool meterRunning_ = false;
    OnScreenWatch* onScreen_;
    QWidget* panel_ = nullptr;
    QStackedLayout* pages_ = nullptr;
    QWidget* accessPage_ = nullptr;
    QWidget* noFormatPage_ = nullptr;
    QWidget* meterPage_ = nullptr;
    QPushButton* allow_ = nullptr;
    MeterLevelsView* levels_ = nullptr;
    QWidget* status_ = nullptr;
    QLabel* statusSymbol_ = nullptr;
    QLabel* statusText_ = nullptr;
    QPushButton* enable_ = nullptr;
    Subscription authorizationSubscription_;
};

}  // namespace tavrin
