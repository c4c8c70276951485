#pragma once

#include "platform/AudioCaptureService.h"
#include "platform/linux/PulseConnection.h"
#include "runtime/Mutex.h"

#include <QSet>

namespace tavrin {

// Audio capture over the sound server: a session's input is a microphone's source, and running
// it records from that source in float32 with the source's channels and rate, in fragments of
// about 20 ms. Each fragment is handed over, with its stream description, on the backend's
// thread. A source without a usable sample spec (no channels, more than the server's maximum, no
// rate) can't be run.
class PulseAudioCaptureSession;
using PulseCaptureSessions = QSet<PulseAudioCaptureSession*>;

class PulseAudioCaptureService final : public AudioCaptureService {
public:
    explicit PulseAudioCaptureService(PulseConnection& connection);

    std::unique_ptr<AudioCaptureSession> makeSession() override;

private:
    PulseConnection& connection_;
    // The living sessions, which reopen their streams as the server's state changes.
    Mutex<PulseCaptureSessions> sessions_;
};

}  // namespace tavrin
