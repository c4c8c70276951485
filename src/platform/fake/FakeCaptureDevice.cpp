#include "platform/fake/FakeCaptureDevice.h"

namespace tavrin {

FakeCaptureDevice::FakeCaptureDevice(NotificationThread& notifications,
                                     FakeCaptureDeviceState state)
    : state_(Locked{std::move(state)}), observers_(notifications) {}

QString FakeCaptureDevice::uniqueID() const {
    return read([](const auto& d) { return d.uniqueID; });
}
QString FakeCaptureDevice::deviceType() const {
    return read([](const auto& d) { return d.deviceType; });
}
std::int32_t FakeCaptureDevice::transportType() const {
    return read([](const auto& d) { return d.transportType; });
}
CameraPosition FakeCaptureDevice::position() const {
    return read([](const auto& d) { return d.position; });
}
QList<CaptureFormat> FakeCaptureDevice::formats() const {
    return read([](const auto& d) { return d.formats; });
}
CaptureFormat FakeCaptureDevice::activeFormat() const {
    return read([](const auto& d) { return d.activeFormat; });
}
MediaTime FakeCaptureDevice::activeVideoMinFrameDuration() const {
    return read([](const auto& d) { return d.activeVideoMinFrameDuration; });
}
MediaTime FakeCaptureDevice::activeVideoMaxFrameDuration() const {
    return read([](const auto& d) { return d.activeVideoMaxFrameDuration; });
}
int FakeCaptureDevice::activeColorSpace() const {
    return read([](const auto& d) { return d.activeColorSpace; });
}
bool FakeCaptureDevice::isConnected() const {
    return read([](const auto& d) { return d.isConnected; });
}
bool FakeCaptureDevice::isSuspended() const {
    return read([](const auto& d) { return d.isSuspended; });
}
bool FakeCaptureDevice::isInUseByAnotherApplication() const {
    return read([](const auto& d) { return d.isInUseByAnotherApplication; });
}
QList<CaptureDeviceOpener> FakeCaptureDevice::openedBy() const {
    return read([](const auto& d) { return d.openedBy; });
}
bool FakeCaptureDevice::isCenterStageActive() const {
    return read([](const auto& d) { return d.isCenterStageActive; });
}
bool FakeCaptureDevice::isPortraitEffectActive() const {
    return read([](const auto& d) { return d.isPortraitEffectActive; });
}
bool FakeCaptureDevice::isStudioLightActive() const {
    return read([](const auto& d) { return d.isStudioLightActive; });
}
bool FakeCaptureDevice::isBackgroundReplacementActive() const {
    return read([](const auto& d) { return d.isBackgroundReplacementActive; });
}
bool FakeCaptureDevice::canPerformReactionEffects() const {
    return read([](const auto& d) { return d.canPerformReactionEffects; });
}
int FakeCaptureDevice::exposureMode() const {
    return read([](const auto& d) { return d.exposureMode; });
}
int FakeCaptureDevice::focusMode() const {
    return read([](const auto& d) { return d.focusMode; });
}
int FakeCaptureDevice::whiteBalanceMode() const {
    return read([](const auto& d) { return d.whiteBalanceMode; });
}
bool FakeCaptureDevice::isExposureModeSupported(int mode) const {
    return read([&](const auto& d) { return d.supportedExposureModes.contains(mode); });
}
bool FakeCaptureDevice::isFocusModeSupported(int mode) const {
    return read([&](const auto& d) { return d.supportedFocusModes.contains(mode); });
}
bool FakeCaptureDevice::isWhiteBalanceModeSupported(int mode) const {
    return read([&](const auto& d) { return d.supportedWhiteBalanceModes.contains(mode); });
}

QList<CaptureInputSource> FakeCaptureDevice::inputSources() const {
    return read([](const auto& d) { return d.inputSources; });
}
std::optional<CaptureInputSource> FakeCaptureDevice::activeInputSource() const {
    return read([](const auto& d) { return d.activeInputSource; });
}

bool FakeCaptureDevice::hasConfigurationLock() const {
    return read([](const FakeCaptureDeviceState& d) { return d.hasConfigurationLock; });
}

std::optional<CaptureError> FakeCaptureDevice::lockForConfiguration() {
    return state_.withLock([](Locked& locked) -> std::optional<CaptureError> {
        if (!locked.device.hasConfigurationLock) {
            return CaptureError{-11814, QStringLiteral("This device has no configuration lock")};
        }
        if (locked.lockedByOther) {
            return CaptureError{-11852, QStringLiteral("The device is being configured by another "
                                                       "application.")};
        }
        locked.lockedByUs = true;
        ++locked.lockCount;
        return std::nullopt;
    });
}

void FakeCaptureDevice::unlockForConfiguration() {
    state_.withLock([](Locked& locked) { locked.lockedByUs = false; });
}

void FakeCaptureDevice::set(const QString& keyPath,
                            const std::function<void(FakeCaptureDeviceState&)>& edit) {
    const bool applied = state_.withLock([&](Locked& locked) {
        if (!locked.lockedByUs && locked.device.hasConfigurationLock) {
            ++locked.refusedSets;
            return false;
        }
        edit(locked.device);
        return true;
    });
    if (applied) {
        observers_.notify({keyPath});
    }
}

void FakeCaptureDevice::setActiveFormat(const CaptureFormat& format) {
    set(CaptureKeyPath::activeFormat, [&](auto& d) { d.activeFormat = format; });
}
void FakeCaptureDevice::setActiveVideoMinFrameDuration(const MediaTime& duration) {
    set(CaptureKeyPath::activeVideoMinFrameDuration,
        [&](auto& d) { d.activeVideoMinFrameDuration = duration; });
}
void FakeCaptureDevice::setActiveVideoMaxFrameDuration(const MediaTime& duration) {
    set(CaptureKeyPath::activeVideoMaxFrameDuration,
        [&](auto& d) { d.activeVideoMaxFrameDuration = duration; });
}
void FakeCaptureDevice::setActiveColorSpace(int colorSpace) {
    set(CaptureKeyPath::activeColorSpace, [&](auto& d) { d.activeColorSpace = colorSpace; });
}
void FakeCaptureDevice::setExposureMode(int mode) {
    set(CaptureKeyPath::exposureMode, [&](auto& d) { d.exposureMode = mode; });
}
void FakeCaptureDevice::setFocusMode(int mode) {
    set(CaptureKeyPath::focusMode, [&](auto& d) { d.focusMode = mode; });
}
void FakeCaptureDevice::setWhiteBalanceMode(int mode) {
    set(CaptureKeyPath::whiteBalanceMode, [&](auto& d) { d.whiteBalanceMode = mode; });
}

void FakeCaptureDevice::setActiveInputSource(const CaptureInputSource& source) {
    set(CaptureKeyPath::activeInputSource, [&](auto& d) { d.activeInputSource = source; });
}

Subscription FakeCaptureDevice::observe(const QString& keyPath, std::function<void()> onChange) {
    return observers_.observe(keyPath, std::move(onChange));
}

void FakeCaptureDevice::change(const QStringList& keyPaths,
                               const std::function<void(FakeCaptureDeviceState&)>& edit) {
    state_.withLock([&](Locked& locked) { edit(locked.device); });
    observers_.notify(keyPaths);
}

FakeCaptureDeviceState FakeCaptureDevice::state() const {
    return read([](const auto& d) { return d; });
}

void FakeCaptureDevice::setLockedByAnotherProcess(bool locked) {
    state_.withLock([&](Locked& state) { state.lockedByOther = locked; });
}

bool FakeCaptureDevice::isLockedByUs() const {
    return state_.withLock([](const Locked& locked) { return locked.lockedByUs; });
}

int FakeCaptureDevice::lockCount() const {
    return state_.withLock([](const Locked& locked) { return locked.lockCount; });
}

int FakeCaptureDevice::refusedSetCount() const {
    return state_.withLock([](const Locked& locked) { return locked.refusedSets; });
}

}  // namespace tavrin
