#include "camera/ConfigurationLockController.h"

#include "catalogue/DeviceEventLog.h"
#include "catalogue/EventSource.h"

namespace tavrin {

using Kind = ConfigurationLockState::Kind;

ConfigurationLockController::ConfigurationLockController(MainThreadQueue& queue,
                                                         DeviceEventLog& log,
                                                         std::shared_ptr<CaptureDevice> avDevice,
                                                         QUuid uuid,
                                                         std::function<QString()> deviceName)
    : log_(log),
      avDevice_(std::move(avDevice)),
      uuid_(uuid),
      deviceName_(std::move(deviceName)),
      countdownTask_(queue) {}

ConfigurationLockController::~ConfigurationLockController() {
    countdownTask_.cancel();
    if (avDevice_) {
        avDevice_->unlockForConfiguration();
    }
}

void ConfigurationLockController::lock() {
    if (state_.kind != Kind::unlocked || !avDevice_) {
        return;
    }
    if (const auto error = avDevice_->lockForConfiguration()) {
        record(QStringLiteral("Failed to lock ") + deviceName_() +
               QStringLiteral(" configuration: ") + error->localizedDescription);
        return;
    }
    setState(ConfigurationLockState::lockedWithCountdown(countdownSeconds));
    record(QStringLiteral("Locked ") + deviceName_() +
           QStringLiteral(" configuration (auto-unlocks in %1 s)").arg(countdownSeconds));
    countdownTask_.start(
        countdownSeconds,
        [this](int remaining) {
            if (state_.kind == Kind::lockedWithCountdown) {
                setState(ConfigurationLockState::lockedWithCountdown(remaining));
            }
        },
        [this] {
            if (state_.kind != Kind::lockedWithCountdown) {
                return;
            }
            avDevice_->unlockForConfiguration();
            setState(ConfigurationLockState::unlocked());
            record(QStringLiteral("Auto-unlocked ") + deviceName_() +
                   QStringLiteral(" configuration"));
        });
}

void ConfigurationLockController::keepLocked() {
    if (state_.kind != Kind::lockedWithCountdown) {
        return;
    }
    countdownTask_.cancel();
    setState(ConfigurationLockState::lockedIndefinitely());
    record(QStringLiteral("Cancelled ") + deviceName_() +
           QStringLiteral(" auto-unlock; configuration held indefinitely"));
}

void ConfigurationLockController::unlock() {
    if (state_.kind == Kind::unlocked) {
        return;
    }
    countdownTask_.cancel();
    avDevice_->unlockForConfiguration();
    setState(ConfigurationLockState::unlocked());
    record(QStringLiteral("Unlocked ") + deviceName_() + QStringLiteral(" configuration"));
}

void ConfigurationLockController::setState(const ConfigurationLockState& state) {
    if (state_ == state) {
        return;
    }
    state_ = state;
    emit stateChanged();
}

void ConfigurationLockController::record(const QString& message) {
    log_.record(message, EventSource::configuration, uuid_);
}

}  // namespace tavrin
