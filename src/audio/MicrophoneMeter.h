#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "audio/MicrophoneMeterCoordinator.h"
#include "audio/MicrophoneMeterState.h"
#include "runtime/MainThreadQueue.h"

namespace tavrin {

// Meters one input device: per-channel average and peak on a 0 to 1 scale, with a peak hold
// that lingers 1.5 s and then falls 0.4 of full scale per second. Tells silence, audio and the
// absence of buffers apart. Main thread; the levels are computed on the session's thread.
class MicrophoneMeter final : public QObject {
    Q_OBJECT
public:
    static constexpr double peakHoldSeconds = 1.5;
    static constexpr double peakFallPerSecond = 0.4;

    MicrophoneMeter(MainThreadQueue& queue, AudioCaptureService& capture);
    ~MicrophoneMeter() override;

    const MicrophoneMeterState& state() const { return state_; }
    bool hasReceivedAudio() const { return hasReceivedAudio_; }

    // Switches to the input of this unique ID after a short pause that lets the session settle.
    void start(const std::optional<QString>& uniqueID);
    void stop();

    // Folds one buffer's levels into the state; main thread.
    void ingest(QList<ChannelLevel> levels);

signals:
    void stateChanged();

private:
    void reset();
    void restartInterruptedTimer();
    void setState(MicrophoneMeterState state);
    double holdStep(std::size_t channel, double peak, double now);
    double nowSeconds() const;

    MainThreadQueue& queue_;
    // Moves on with every start and stop. A buffer's levels carry the generation they were
    // measured in, and its task drops them once that has passed: levels queued before a stop
    // must not bring the state back or restart the timer. Read on the session's thread.
    std::atomic<std::uint64_t> generation_ = 0;
    bool isStarted_ = false;
    MicrophoneMeterState state_;
    bool hasReceivedAudio_ = false;
    std::unique_ptr<MicrophoneMeterCoordinator> coordinator_;
    TimerHandle interruptedTask_;
    TimerHandle deferredSwapTask_;
    std::vector<double> peakHolds_;
    std::vector<double> peakHoldTimes_;
};

}  // namespace tavrin
