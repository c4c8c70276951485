#include "audio/AudioHogModeController.h"

#include "app/AppContext.h"
#include "audio/AudioDeviceMuteMonitor.h"
#include "catalogue/EventSource.h"
#include "platform/AudioHardware.h"
#include "runtime/CurrentProcess.h"

namespace tavrin {

namespace {

constexpr PropertyAddress hogModeAddress = globalAddress(AudioSelector::hogMode);

}  // namespace

AudioHogModeController::AudioHogModeController(AppContext& context, QString deviceUID, QUuid uuid)
    : context_(context),
      deviceUID_(std::move(deviceUID)),
      uuid_(uuid),
      deviceName_([] { return QStringLiteral("device"); }),
      countdownTask_(context.queue()) {}

AudioHogModeController::~AudioHogModeController() {
    countdownTask_.cancel();
    giveBack();
}

bool AudioHogModeController::isDeviceResolvable() {
    return context_.audioMuteMonitor().deviceID(deviceUID_).has_value();
}

void AudioHogModeController::take() {
    if (state_.kind != HogModeState::Kind::notHogged) {
        return;
    }
    const auto device = context_.audioMuteMonitor().deviceID(deviceUID_);
    if (!device) {
        return;
    }
    auto& hardware = context_.platform().audioHardware();
    const auto ownPID = currentProcessID();
    const bool taken =
        hardware.setPropertyData(*device, hogModeAddress, ownPID) == OSStatusCode::noError &&
        readProperty<std::int32_t>(hardware, *device, hogModeAddress) == ownPID;
    if (!taken) {
        record(QStringLiteral("Failed to take exclusive access to ") + deviceName_() +
               QStringLiteral("; another process may own it"));
        return;
    }
    setState(HogModeState::hoggedWithCountdown(countdownSeconds));
    record(QStringLiteral("Took exclusive access to ") + deviceName_() +
           QStringLiteral(" (auto-releases in %1 s)").arg(countdownSeconds));
    countdownTask_.start(
        countdownSeconds,
        [this](int remaining) {
            if (state_.kind == HogModeState::Kind::hoggedWithCountdown) {
                setState(HogModeState::hoggedWithCountdown(remaining));
            }
        },
        [this] {
            if (state_.kind == HogModeState::Kind::hoggedWithCountdown) {
                autoRelease();
            }
        });
}

void AudioHogModeController::release() {
    if (state_.kind == HogModeState::Kind::notHogged) {
        return;
    }
    countdownTask_.cancel();
    giveBack();
    setState(HogModeState::notHogged());
    record(QStringLiteral("Released exclusive access to ") + deviceName_());
}

void AudioHogModeController::keepIndefinitely() {
    if (state_.kind != HogModeState::Kind::hoggedWithCountdown) {
        return;
    }
    countdownTask_.cancel();
    setState(HogModeState::hoggedIndefinitely());
    record(QStringLiteral("Cancelled ") + deviceName_() +
           QStringLiteral(" auto-release; exclusive access held indefinitely"));
}

void AudioHogModeController::setState(const HogModeState& state) {
    if (state_ == state) {
        return;
    }
    state_ = state;
    emit stateChanged();
}

void AudioHogModeController::autoRelease() {
    giveBack();
    setState(HogModeState::notHogged());
    record(QStringLiteral("Auto-released exclusive access to ") + deviceName_());
}

// The result is ignored: the state follows the user's intent either way.
void AudioHogModeController::giveBack() {
    if (const auto device = context_.audioMuteMonitor().deviceID(deviceUID_)) {
        context_.platform().audioHardware().setPropertyData(*device, hogModeAddress,
                                                            std::int32_t(-1));
    }
}

void AudioHogModeController::record(const QString& message) {
    context_.eventLog().record(message, EventSource::usage, uuid_);
}

}  // namespace tavrin
