#pragma once

#include <QObject>
#include <QUuid>
#include <functional>
#include <memory>

#include "platform/CaptureDevice.h"
#include "runtime/Countdown.h"

namespace tavrin {

class DeviceEventLog;

struct ConfigurationLockState {
    enum class Kind { unlocked, lockedWithCountdown, lockedIndefinitely };

    Kind kind = Kind::unlocked;
    int remaining = 0;  // seconds left, while counting down

    static ConfigurationLockState unlocked() { return {}; }
    static ConfigurationLockState lockedWithCountdown(int remaining) {
        return {Kind::lockedWithCountdown, remaining};
    }
    static ConfigurationLockState lockedIndefinitely() { return {Kind::lockedIndefinitely, 0}; }

    bool isLocked() const { return kind != Kind::unlocked; }
    friend bool operator==(const ConfigurationLockState&, const ConfigurationLockState&) = default;
};

// Holds a capture device's configuration lock for ten seconds or indefinitely, so that other
// applications meet a contended device. Every step is logged under the owning device's uuid.
// Main thread only.
class ConfigurationLockController final : public QObject {
    Q_OBJECT
public:
    static constexpr int countdownSeconds = 10;

    ConfigurationLockController(MainThreadQueue& queue, DeviceEventLog& log,
                                std::shared_ptr<CaptureDevice> avDevice, QUuid uuid,
                                std::function<QString()> deviceName);
    // Stops the countdown and gives the lock back.
    ~ConfigurationLockController() override;

    const ConfigurationLockState& state() const { return state_; }
    const std::shared_ptr<CaptureDevice>& avDevice() const { return avDevice_; }

    void lock();
    void keepLocked();
    void unlock();

signals:
    void stateChanged();

private:
    void setState(const ConfigurationLockState& state);
    void record(const QString& message);

    DeviceEventLog& log_;
    const std::shared_ptr<CaptureDevice> avDevice_;
    const QUuid uuid_;
    const std::function<QString()> deviceName_;
    ConfigurationLockState state_;
    Countdown countdownTask_;
};

}  // namespace tavrin
