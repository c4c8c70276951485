#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "platform/CaptureDeviceFormat.h"

namespace tavrin {

// One buffer of captured audio as the capture service hands it over. The description of its
// stream is absent when the buffer carries none. `channelData` is one buffer of interleaved
// frames, or one buffer per channel. Sizes come from the service and are checked before use.
struct AudioSampleBuffer {
    enum class SampleType { float32, int16, int32, none };

    std::optional<AudioStreamDescription> streamDescription;
    SampleType sampleType = SampleType::float32;
    bool isInterleaved = true;
    std::uint32_t frameLength = 0;
    QList<QByteArray> channelData;
};

// A capture session with one audio input and a data output. Buffers are handed to the handler on
// the session's own serial thread, never on the main thread. Everything else is called on the
// main thread. Destroying the session waits for a delivery in progress to return.
class AudioCaptureSession {
public:
    using BufferHandler = std::function<void(const AudioSampleBuffer& buffer)>;

    virtual ~AudioCaptureSession() = default;

    virtual void setBufferHandler(BufferHandler handler) = 0;
    virtual bool isRunning() const = 0;
    virtual void startRunning() = 0;
    virtual void stopRunning() = 0;
    virtual void beginConfiguration() = 0;
    virtual void commitConfiguration() = 0;
    // Adds an input for the device of this unique ID; false when there is no such device or the
    // session can't take it.
    virtual bool addInput(const QString& uniqueID) = 0;
    virtual void removeInput() = 0;
};

class AudioCaptureService {
public:
    virtual ~AudioCaptureService() = default;

    virtual std::unique_ptr<AudioCaptureSession> makeSession() = 0;
};

}  // namespace tavrin
