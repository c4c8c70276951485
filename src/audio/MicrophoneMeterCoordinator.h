#pragma once

#include <QList>
#include <QString>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

#include "audio/PcmBuffer.h"
#include "platform/AudioCaptureService.h"

namespace tavrin {

// The capture side of the meter: a session with one input, whose buffers are passed on only
// once the last five stream descriptions agree. Its buffer path runs on the session's serial
// thread; everything else on the main thread.
class MicrophoneMeterCoordinator {
public:
    static constexpr int asbdStabilityCount = 5;
    using BufferHandler = std::function<void(const PcmBuffer& buffer)>;

    explicit MicrophoneMeterCoordinator(AudioCaptureService& capture);
    // Stops the session, removes the input and forgets the handler.
    ~MicrophoneMeterCoordinator();

    AudioCaptureSession& session() { return *session_; }
    // Called on the session's thread with every buffer that passes.
    void setOnBuffer(BufferHandler handler);
    // Replaces the session's input with the device of this unique ID, when there is one.
    void configure(const std::optional<QString>& uniqueID);
    void removeInput();

    // The delegate step, on the session's thread.
    void receive(const AudioSampleBuffer& buffer);

private:
    std::unique_ptr<AudioCaptureSession> session_;
    bool hasInput_ = false;
    // Counts configurations. The session's thread empties recentASBDs_ when it sees the count
    // move: a new input starts its run of stable descriptions from nothing, even when its format
    // is the one the last input ended with.
    std::atomic<std::uint64_t> configurations_ = 0;
    std::uint64_t configurationsSeen_ = 0;            // only touched on the session's thread
    std::deque<AudioStreamDescription> recentASBDs_;  // only touched on the session's thread
    // Swapped on the main thread while the session's thread reads it.
    std::atomic<std::shared_ptr<BufferHandler>> onBuffer_;
};

}  // namespace tavrin
