#include "camera/VideoEffectsObserver.h"

#include <QPointer>

namespace tavrin {

VideoEffectsObserver::VideoEffectsObserver(MainThreadQueue& queue, CaptureDeviceService& capture)
    : queue_(queue), capture_(capture) {
    const bool hasBackgroundReplacement = capture_.supportsBackgroundReplacement();
    namespace Key = VideoEffectKeyPath;
    keyPaths_ = {Key::centerStageEnabled,     Key::centerStageControlMode,
                 Key::portraitEffectEnabled,  Key::studioLightEnabled,
                 Key::reactionEffectsEnabled, Key::reactionEffectGesturesEnabled};
    if (hasBackgroundReplacement) {
        keyPaths_.append(Key::backgroundReplacementEnabled);
    }
    // Notifications come on any thread; each only schedules a refresh on the main thread.
    for (const auto& keyPath : keyPaths_) {
        // Only the queue is touched off the main thread: it outlives the observer.
        bridge_.push_back(
            capture_.observeVideoEffect(keyPath, [&queue = queue_, self = QPointer(this)] {
                queue.post([self] {
                    if (self) {
                        self->refresh();
                    }
                });
            }));
    }
    // Read only once the observations are in place, so that no change falls between the two; a
    // change told after this read only finds equal values.
    settings_ = capture_.videoEffectSettings();
    if (!hasBackgroundReplacement) {
        settings_.isBackgroundReplacementEnabled = false;
    }
}

void VideoEffectsObserver::refresh() {
    auto next = capture_.videoEffectSettings();
    if (!capture_.supportsBackgroundReplacement()) {
        next.isBackgroundReplacementEnabled = settings_.isBackgroundReplacementEnabled;
    }
    const auto old = std::exchange(settings_, next);
    auto tell = [](bool changed, void (VideoEffectsObserver::*signal)(), VideoEffectsObserver* o) {
        if (changed) {
            emit(o->*signal)();
        }
    };
    tell(old.isCenterStageEnabled != next.isCenterStageEnabled,
         &VideoEffectsObserver::isCenterStageEnabledChanged, this);
    tell(old.centerStageControlMode != next.centerStageControlMode,
         &VideoEffectsObserver::centerStageControlModeChanged, this);
    tell(old.isPortraitEffectEnabled != next.isPortraitEffectEnabled,
         &VideoEffectsObserver::isPortraitEffectEnabledChanged, this);
    tell(old.isStudioLightEnabled != next.isStudioLightEnabled,
         &VideoEffectsObserver::isStudioLightEnabledChanged, this);
    tell(old.isBackgroundReplacementEnabled != next.isBackgroundReplacementEnabled,
         &VideoEffectsObserver::isBackgroundReplacementEnabledChanged, this);
    tell(old.reactionEffectsEnabled != next.reactionEffectsEnabled,
         &VideoEffectsObserver::reactionEffectsEnabledChanged, this);
    tell(old.reactionEffectGesturesEnabled != next.reactionEffectGesturesEnabled,
         &VideoEffectsObserver::reactionEffectGesturesEnabledChanged, this);
}

}  // namespace tavrin
