#include "audio/AudioHogModeController.h"

#include <QPointer>

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
    stopAwaitingAnswer();
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
    // Listening before asking: an answer that comes between the read-back and a later
    // registration would reach nobody, and a granted hold would then be given back as failed.
    listenForAnswer(*device);
    auto& hardware = context_.platform().audioHardware();
    const auto ownPID = currentProcessID();
    if (hardware.setPropertyData(*device, hogModeAddress, ownPID) != OSStatusCode::noError) {
        failed(/*giveDeviceBack=*/false);
        return;
    }
    const auto owner = readProperty<std::int32_t>(hardware, *device, hogModeAddress);
    if (owner == ownPID) {
        taken();
    } else if (owner == -1) {
        awaitAnswer();
    } else {
        failed(/*giveDeviceBack=*/true);
    }
}

void AudioHogModeController::listenForAnswer(ObjectID device) {
    answerListener_ = AudioPropertyListener::registered(
        context_.platform().audioHardware(), device, hogModeAddress,
        [&queue = context_.queue(), self = QPointer(this)](const auto&) {
            queue.post([self] {
                if (self) {
                    self->answerArrived();
                }
            });
        });
}

// The answer's news is posted to this thread, so it is handled after `take` has returned and
// the state says `taking`.
void AudioHogModeController::awaitAnswer() {
    setState(HogModeState::taking());
    answerDeadline_ = context_.queue().schedule(answerTimeout, [self = QPointer(this)] {
        if (self && self->state_.kind == HogModeState::Kind::taking) {
            self->failed(/*giveDeviceBack=*/true);
        }
    });
}

// Any news of the owner answers the request: ours completes it, anything else refuses it.
void AudioHogModeController::answerArrived() {
    if (state_.kind != HogModeState::Kind::taking) {
        return;
    }
    const auto device = context_.audioMuteMonitor().deviceID(deviceUID_);
    const auto owner = device ? readProperty<std::int32_t>(context_.platform().audioHardware(),
                                                           *device, hogModeAddress)
                              : std::nullopt;
    if (owner == currentProcessID()) {
        taken();
    } else {
        failed(/*giveDeviceBack=*/true);
    }
}

void AudioHogModeController::stopAwaitingAnswer() {
    answerListener_.reset();
    answerDeadline_.cancel();
}

void AudioHogModeController::taken() {
    stopAwaitingAnswer();
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

// When the OS accepted the request, a hold may exist or still come: it is given back before the
// failure is told, whatever the OS says to that.
void AudioHogModeController::failed(bool giveDeviceBack) {
    stopAwaitingAnswer();
    if (giveDeviceBack) {
        giveBack();
    }
    setState(HogModeState::notHogged());
    record(QStringLiteral("Failed to take exclusive access to ") + deviceName_() +
           QStringLiteral("; another process may own it"));
}

void AudioHogModeController::release() {
    if (state_.kind == HogModeState::Kind::notHogged) {
        return;
    }
    stopAwaitingAnswer();
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
