#pragma once

#include <QObject>
#include <QString>
#include <QUuid>
#include <functional>
#include <optional>

#include "platform/ObjectPropertyService.h"
#include "runtime/Countdown.h"

namespace tavrin {

class AppContext;

struct HogModeState {
    enum class Kind { notHogged, hoggedWithCountdown, hoggedIndefinitely };

    Kind kind = Kind::notHogged;
    int remaining = 0;  // seconds left, while counting down

    static HogModeState notHogged() { return {}; }
    static HogModeState hoggedWithCountdown(int remaining) {
        return {Kind::hoggedWithCountdown, remaining};
    }
    static HogModeState hoggedIndefinitely() { return {Kind::hoggedIndefinitely, 0}; }

    friend bool operator==(const HogModeState&, const HogModeState&) = default;
};

// Takes and gives back exclusive (hog-mode) access to one audio device. Access taken here is
// given back after a 10-second countdown unless the user keeps it. Every transition is logged
// under the device's uuid. The device object is resolved from its UID at each operation.
// Main thread only.
class AudioHogModeController final : public QObject {
    Q_OBJECT
public:
    static constexpr int countdownSeconds = 10;

    AudioHogModeController(AppContext& context, QString deviceUID, QUuid uuid);
    // Gives access back if the device still resolves, whatever the state.
    ~AudioHogModeController() override;

    const HogModeState& state() const { return state_; }
    const QString& deviceUID() const { return deviceUID_; }
    // Whether the device's UID resolves now, so that taking is possible at all.
    bool isDeviceResolvable();

    // The name used in messages; "device" until the owner sets it.
    void setDeviceName(std::function<QString()> deviceName) { deviceName_ = std::move(deviceName); }

    void take();
    void release();
    void keepIndefinitely();

signals:
    void stateChanged();

private:
    void setState(const HogModeState& state);
    void autoRelease();
    void giveBack();
    void record(const QString& message);

    AppContext& context_;
    const QString deviceUID_;
    const QUuid uuid_;
    std::function<QString()> deviceName_;
    HogModeState state_;
    Countdown countdownTask_;
};

}  // namespace tavrin
