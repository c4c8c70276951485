#pragma once

#include <QObject>
#include <vector>

#include "platform/CaptureDeviceService.h"
#include "runtime/MainThreadQueue.h"

namespace tavrin {

// Mirrors the system-wide video effect settings in one observable object, live. It only reads.
// Main thread.
class VideoEffectsObserver final : public QObject {
    Q_OBJECT
    Q_PROPERTY(
        bool isCenterStageEnabled READ isCenterStageEnabled NOTIFY isCenterStageEnabledChanged)
    Q_PROPERTY(tavrin::CenterStageControlMode centerStageControlMode READ centerStageControlMode
                   NOTIFY centerStageControlModeChanged)
    Q_PROPERTY(bool isPortraitEffectEnabled READ isPortraitEffectEnabled NOTIFY
                   isPortraitEffectEnabledChanged)
    Q_PROPERTY(
        bool isStudioLightEnabled READ isStudioLightEnabled NOTIFY isStudioLightEnabledChanged)
    Q_PROPERTY(bool isBackgroundReplacementEnabled READ isBackgroundReplacementEnabled NOTIFY
                   isBackgroundReplacementEnabledChanged)
    Q_PROPERTY(bool reactionEffectsEnabled READ reactionEffectsEnabled NOTIFY
                   reactionEffectsEnabledChanged)
    Q_PROPERTY(bool reactionEffectGesturesEnabled READ reactionEffectGesturesEnabled NOTIFY
                   reactionEffectGesturesEnabledChanged)
public:
    VideoEffectsObserver(MainThreadQueue& queue, CaptureDeviceService& capture);

    bool isCenterStageEnabled() const { return settings_.isCenterStageEnabled; }
    CenterStageControlMode centerStageControlMode() const {
        return settings_.centerStageControlMode;
    }
    bool isPortraitEffectEnabled() const { return settings_.isPortraitEffectEnabled; }
    bool isStudioLightEnabled() const { return settings_.isStudioLightEnabled; }
    bool isBackgroundReplacementEnabled() const { return settings_.isBackgroundReplacementEnabled; }
    bool reactionEffectsEnabled() const { return settings_.reactionEffectsEnabled; }
    bool reactionEffectGesturesEnabled() const { return settings_.reactionEffectGesturesEnabled; }

    // The key paths the observer follows: six, and background replacement where the system has
    // it.
    const QStringList& keyPaths() const { return keyPaths_; }

    // Reads every setting again; a setting that didn't change notifies nobody.
    void refresh();

signals:
    void isCenterStageEnabledChanged();
    void centerStageControlModeChanged();
    void isPortraitEffectEnabledChanged();
    void isStudioLightEnabledChanged();
    void isBackgroundReplacementEnabledChanged();
    void reactionEffectsEnabledChanged();
    void reactionEffectGesturesEnabledChanged();

private:
    MainThreadQueue& queue_;
    CaptureDeviceService& capture_;
    VideoEffectSettings settings_;
    QStringList keyPaths_;
    std::vector<Subscription> bridge_;
};

}  // namespace tavrin
