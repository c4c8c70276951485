#pragma once

#include <QObject>
#include <QString>
#include <QUuid>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include "audio/AudioPropertyListener.h"
#include "platform/ObjectPropertyService.h"
#include "runtime/Countdown.h"

namespace tavrin {

class AppContext;

struct HogModeState {
    // `taking`: the OS accepted the request and has not answered yet (a sound server answers
    // when the exclusive stream starts or is refused).
    enum class Kind { notHogged, taking, hoggedWithCountdown, hoggedIndefinitely };

    Kind kind = Kind::notHogged;
    int remaining = 0;  // seconds left, while counting down

    static HogModeState notHogged() { return {}; }
    static HogModeState taking() { return {Kind::taking, 0}; }
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
//
// `take` never waits for the OS. Where the owner reads back as ours at once, the take is done.
// Where the OS accepted the request but nobody owns the device yet, the state is `taking` and
// the answer arrives through the hog-mode listener: our process as owner completes the take;
// any other answer, or none within `answerTimeout`, fails it. A take that fails after the OS
// accepted it gives the device back first, so that no hold is left behind.
class AudioHogModeController final : public QObject {
    Q_OBJECT
public:
    static constexpr int countdownSeconds = 10;
    static constexpr std::chrono::milliseconds answerTimeout{3000};

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
    void listenForAnswer(ObjectID device);
    void awaitAnswer();
    void answerArrived();
    void stopAwaitingAnswer();
    void taken();
    void failed(bool giveDeviceBack);
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
    std::unique_ptr<AudioPropertyListener> answerListener_;
    TimerHandle answerDeadline_;
};

}  // namespace tavrin
