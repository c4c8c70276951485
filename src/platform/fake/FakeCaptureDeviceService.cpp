#include "platform/fake/FakeCaptureDeviceService.h"

namespace tavrin {

FakeCaptureDeviceService::FakeCaptureDeviceService(NotificationThread& notifications)
    : notifications_(notifications), effectObservers_(notifications) {}

std::shared_ptr<CaptureDevice> FakeCaptureDeviceService::deviceWithUniqueID(
    const QString& uniqueID) {
    return state_.withLock([&](State& state) -> std::shared_ptr<CaptureDevice> {
        return state.lookupsFail ? nullptr : state.devices.value(uniqueID);
    });
}

// A device that comes back is the object it was, connected again, as the models that kept it
// expect.
std::shared_ptr<FakeCaptureDevice> FakeCaptureDeviceService::add(
    const FakeCaptureDeviceState& device) {
    auto departed =
        state_.withLock([&](State& state) { return state.departed.take(device.uniqueID); });
    if (departed) {
        departed->change({CaptureKeyPath::connected}, [&](FakeCaptureDeviceState& state) {
            state = device;
            state.isConnected = true;
        });
    }
    auto fake = departed ? departed : std::make_shared<FakeCaptureDevice>(notifications_, device);
    state_.withLock([&](State& state) { state.devices.insert(device.uniqueID, fake); });
    return fake;
}

// The device object stays with whoever holds it, disconnected.
void FakeCaptureDeviceService::remove(const QString& uniqueID) {
    auto device = state_.withLock([&](State& state) { return state.devices.take(uniqueID); });
    if (!device) {
        return;
    }
    device->change({CaptureKeyPath::connected},
                   [](FakeCaptureDeviceState& state) { state.isConnected = false; });
    state_.withLock([&](State& state) { state.departed.insert(uniqueID, device); });
}

std::shared_ptr<FakeCaptureDevice> FakeCaptureDeviceService::fakeDevice(
    const QString& uniqueID) const {
    return state_.withLock([&](State& state) { return state.devices.value(uniqueID); });
}

void FakeCaptureDeviceService::setLookupsFail(bool fail) {
    state_.withLock([&](State& state) { state.lookupsFail = fail; });
}

bool FakeCaptureDeviceService::supportsBackgroundReplacement() const {
    return state_.withLock([](const State& state) { return state.supportsBackgroundReplacement; });
}

VideoEffectSettings FakeCaptureDeviceService::videoEffectSettings() const {
    std::function<void()> hook;
    const auto effects = state_.withLock([&](State& state) {
        hook = std::exchange(state.afterSettingsRead, nullptr);
        auto effects = state.effects;
        effects.isBackgroundReplacementEnabled &= state.supportsBackgroundReplacement;
        return effects;
    });
    if (hook) {
        hook();
    }
    return effects;
}

void FakeCaptureDeviceService::afterNextSettingsRead(std::function<void()> action) {
    state_.withLock([&](State& state) { state.afterSettingsRead = std::move(action); });
}

Subscription FakeCaptureDeviceService::observeVideoEffect(const QString& keyPath,
                                                          std::function<void()> onChange) {
    return effectObservers_.observe(keyPath, std::move(onChange));
}

std::optional<QString> FakeCaptureDeviceService::userPreferredCamera() const {
    return state_.withLock([](const State& state) { return state.userPreferredCamera; });
}

std::optional<QString> FakeCaptureDeviceService::systemPreferredCamera() const {
    return state_.withLock([](const State& state) { return state.systemPreferredCamera; });
}

void FakeCaptureDeviceService::setSupportsBackgroundReplacement(bool supported) {
    state_.withLock([&](State& state) { state.supportsBackgroundReplacement = supported; });
}

void FakeCaptureDeviceService::setVideoEffectSettings(const VideoEffectSettings& settings) {
    using namespace VideoEffectKeyPath;
    const auto changed = state_.withLock([&](State& state) {
        const auto old = std::exchange(state.effects, settings);
        QStringList keyPaths;
        auto note = [&](bool differs, const QString& keyPath) {
            if (differs) {
                keyPaths.append(keyPath);
            }
        };
        note(old.isCenterStageEnabled != settings.isCenterStageEnabled, centerStageEnabled);
        note(old.centerStageControlMode != settings.centerStageControlMode, centerStageControlMode);
        note(old.isPortraitEffectEnabled != settings.isPortraitEffectEnabled,
             portraitEffectEnabled);
        note(old.isStudioLightEnabled != settings.isStudioLightEnabled, studioLightEnabled);
        note(old.reactionEffectsEnabled != settings.reactionEffectsEnabled, reactionEffectsEnabled);
        note(old.reactionEffectGesturesEnabled != settings.reactionEffectGesturesEnabled,
             reactionEffectGesturesEnabled);
        note(old.isBackgroundReplacementEnabled != settings.isBackgroundReplacementEnabled,
             backgroundReplacementEnabled);
        return keyPaths;
    });
    effectObservers_.notify(changed);
}

void FakeCaptureDeviceService::setPreferredCameras(std::optional<QString> user,
                                                   std::optional<QString> system) {
    const auto changed = state_.withLock([&](State& state) {
        QStringList keyPaths;
        if (state.userPreferredCamera != user) {
            keyPaths.append(PreferredCameraKeyPath::user);
        }
        if (state.systemPreferredCamera != system) {
            keyPaths.append(PreferredCameraKeyPath::system);
        }
        state.userPreferredCamera = std::move(user);
        state.systemPreferredCamera = std::move(system);
        return keyPaths;
    });
    effectObservers_.notify(changed);
}

void FakeCaptureDeviceService::setCenterStageControlMode(CenterStageControlMode mode) {
    auto settings = state_.withLock([](const State& state) { return state.effects; });
    settings.centerStageControlMode = mode;
    setVideoEffectSettings(settings);
}

void FakeCaptureDeviceService::setCenterStageEnabled(bool enabled) {
    auto settings = state_.withLock([](const State& state) { return state.effects; });
    // As the system does: while the user alone controls Center Stage, an application can't.
    if (settings.centerStageControlMode == CenterStageControlMode::user) {
        return;
    }
    settings.isCenterStageEnabled = enabled;
    setVideoEffectSettings(settings);
}

void FakeCaptureDeviceService::setUserPreferredCamera(const QString& uniqueID) {
    const auto system = systemPreferredCamera();
    setPreferredCameras(uniqueID, system);
}

}  // namespace tavrin
