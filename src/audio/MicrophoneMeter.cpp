#include "audio/MicrophoneMeter.h"

#include <QPointer>

#include "audio/AudioLevels.h"

using namespace std::chrono_literals;

namespace tavrin {

MicrophoneMeter::MicrophoneMeter(MainThreadQueue& queue, AudioCaptureService& capture)
    : queue_(queue), coordinator_(std::make_unique<MicrophoneMeterCoordinator>(capture)) {
    // Levels are computed where the buffer arrives; only they cross to the main thread. The
    // generation is read here, before measuring: a stop that comes while the buffer is measured
    // already makes it stale. `this` is only used for the atomic, which outlives every delivery
    // since the coordinator goes first.
    coordinator_->setOnBuffer([this, &queue, self = QPointer(this)](const PcmBuffer& buffer) {
        const auto generation = generation_.load();
        queue.post([self, generation, levels = channelLevels(buffer)]() mutable {
            if (self && self->isStarted_ && self->generation_.load() == generation) {
                self->ingest(std::move(levels));
            }
        });
    });
}

MicrophoneMeter::~MicrophoneMeter() {
    deferredSwapTask_.cancel();
    interruptedTask_.cancel();
    coordinator_.reset();
}

void MicrophoneMeter::start(const std::optional<QString>& uniqueID) {
    ++generation_;
    isStarted_ = true;
    deferredSwapTask_.cancel();
    auto& session = coordinator_->session();
    session.beginConfiguration();
    coordinator_->removeInput();
    session.commitConfiguration();
    if (!session.isRunning()) {
        session.startRunning();
    }
    deferredSwapTask_ = queue_.schedule(17ms, [this, uniqueID] {
        reset();
        coordinator_->configure(uniqueID);
        restartInterruptedTimer();
    });
}

void MicrophoneMeter::stop() {
    ++generation_;
    isStarted_ = false;
    deferredSwapTask_.cancel();
    interruptedTask_.cancel();
    auto& session = coordinator_->session();
    if (session.isRunning()) {
        session.stopRunning();
    }
    session.beginConfiguration();
    coordinator_->removeInput();
    session.commitConfiguration();
    reset();
}

void MicrophoneMeter::reset() {
    interruptedTask_.cancel();
    peakHolds_.clear();
    peakHoldTimes_.clear();
    hasReceivedAudio_ = false;
    setState(MicrophoneMeterState::missingAudio());
}

// Half a second without a buffer means the audio has stopped coming.
void MicrophoneMeter::restartInterruptedTimer() {
    interruptedTask_ =
        queue_.schedule(500ms, [this] { setState(MicrophoneMeterState::missingAudio()); });
}

void MicrophoneMeter::ingest(QList<ChannelLevel> levels) {
    const double now = nowSeconds();
    while (peakHolds_.size() < std::size_t(levels.size())) {
        peakHolds_.push_back(0);
        peakHoldTimes_.push_back(now);
    }
    for (qsizetype channel = 0; channel < levels.size(); ++channel) {
        levels[channel].peakHold = holdStep(std::size_t(channel), levels[channel].peak, now);
    }
    if (!hasReceivedAudio_ && std::any_of(levels.begin(), levels.end(), [](const auto& level) {
            return level.average > 0 || level.peak > 0;
        })) {
        hasReceivedAudio_ = true;
    }
    setState(hasReceivedAudio_ ? MicrophoneMeterState::audio(std::move(levels))
                               : MicrophoneMeterState::silent(std::move(levels)));
    restartInterruptedTimer();
}

// A peak is held for 1.5 s, then falls at 0.4 per second until it meets the current peak.
double MicrophoneMeter::holdStep(std::size_t channel, double peak, double now) {
    double& hold = peakHolds_[channel];
    double& heldSince = peakHoldTimes_[channel];
    if (hold <= peak) {
        hold = peak;
        heldSince = now;
        return peak;
    }
    const double elapsed = now - heldSince;
    if (elapsed <= peakHoldSeconds) {
        return hold;
    }
    hold = std::max(hold - peakFallPerSecond * (elapsed - peakHoldSeconds), peak);
    heldSince = now - peakHoldSeconds;
    return hold;
}

// The queue's monotonic clock: the hold must not jump when the wall clock is set.
double MicrophoneMeter::nowSeconds() const {
    return std::chrono::duration<double>(queue_.now().time_since_epoch()).count();
}

void MicrophoneMeter::setState(MicrophoneMeterState state) {
    if (state_ == state) {
        return;
    }
    state_ = std::move(state);
    emit stateChanged();
}

}  // namespace tavrin
