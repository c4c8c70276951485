#include "platform/linux/PulseAudioCapture.h"

#include "platform/linux/PulseRecordStream.h"

#include <pulse/pulseaudio.h>

#include <atomic>
#include <mutex>

namespace tavrin {

// Runs like the OS's capture session: running and having an input are separate, and the
// recording stream exists while both hold, outside a configuration. A stream the server ended
// (the source went, or the server did) is opened again once the source is back. Its input and
// stream are touched with the main loop locked only.
class PulseAudioCaptureSession final : public AudioCaptureSession {
public:
    PulseAudioCaptureSession(PulseConnection& connection, Mutex<PulseCaptureSessions> sessions)
        : connection_(connection), sessions_(std::move(sessions)) {
        sessions_.withLock([this](PulseCaptureSessions& all) { all.insert(this); });
    }
    // Leaves the list first: a reopening in progress holds the loop, which close() waits for.
    ~PulseAudioCaptureSession() override {
        sessions_.withLock([this](PulseCaptureSessions& all) { all.remove(this); });
        close();
    }

    void setBufferHandler(BufferHandler handler) override {
        std::lock_guard lock(handlerMutex_);
        handler_ = std::move(handler);
    }
    bool isRunning() const override { return isRunning_; }

    void startRunning() override {
        isRunning_ = true;
        openIfReady();
    }

    // With the loop locked no delivery is in progress, and none starts after the stream closes.
    void stopRunning() override {
        isRunning_ = false;
        close();
    }

    void beginConfiguration() override {
        connection_.withLoopLocked([this](pa_context*) { isConfiguring_ = true; });
    }
    void commitConfiguration() override {
        connection_.withLoopLocked([this](pa_context*) { isConfiguring_ = false; });
        openIfReady();
    }

    bool addInput(const QString& uniqueID) override {
        bool added = false;
        connection_.withLoopLocked([&](pa_context*) {
            if (sourceName_.isEmpty() && connection_.state().microphone(uniqueID)) {
                sourceName_ = uniqueID;
                added = true;
            }
        });
        openIfReady();
        return added;
    }
    void removeInput() override {
        connection_.withLoopLocked([this](pa_context*) {
            closeRecordStream(stream_);
            sourceName_.clear();
        });
    }

    void openIfReady() {
        connection_.withLoopLocked([this](pa_context* context) { openLocked(context); });
    }

private:
    static void dataArrived(pa_stream* stream, std::size_t, void* userdata) {
        auto& self = *static_cast<PulseAudioCaptureSession*>(userdata);
        const void* data = nullptr;
        std::size_t length = 0;
        while (pa_stream_readable_size(stream) > 0 && pa_stream_peek(stream, &data, &length) == 0 &&
               length > 0) {
            if (data) {  // null data is a hole in the stream: nothing to measure
                self.deliver(static_cast<const char*>(data), length);
            }
            pa_stream_drop(stream);
        }
    }

    void deliver(const char* data, std::size_t length) {
        const std::size_t frameSize = description_.bytesPerFrame;
        const std::size_t frames = frameSize ? length / frameSize : 0;
        if (frames == 0) {
            return;
        }
        AudioSampleBuffer buffer;
        buffer.streamDescription = description_;
        buffer.sampleType = AudioSampleBuffer::SampleType::float32;
        buffer.isInterleaved = true;
        buffer.frameLength = std::uint32_t(frames);
        buffer.channelData.append(QByteArray(data, qsizetype(frames * frameSize)));
        std::lock_guard lock(handlerMutex_);
        if (handler_) {
            handler_(buffer);
        }
    }

    void openLocked(pa_context* context) {
        if (stream_ && !PA_STREAM_IS_GOOD(pa_stream_get_state(stream_))) {
            closeRecordStream(stream_);
        }
        if (stream_ || !context || !isRunning_ || isConfiguring_ || sourceName_.isEmpty()) {
            return;
        }
        const auto state = connection_.state();
        const auto* source = state.microphone(sourceName_);
        if (!source || source->channels == 0 || source->channels > PA_CHANNELS_MAX) {
            return;
        }
        RecordStreamSetup setup;
        setup.name = "Tavrin level meter";
        setup.spec = {PA_SAMPLE_FLOAT32LE, source->sampleRate, std::uint8_t(source->channels)};
        setup.sourceName = sourceName_;
        setup.dataArrived = dataArrived;
        setup.userdata = this;
        description_ = interleavedLinearPCM(setup.spec.rate, setup.spec.channels, 32, true);
        stream_ = openRecordStream(context, setup);
    }

    void close() {
        connection_.withLoopLocked([this](pa_context*) { closeRecordStream(stream_); });
    }

    PulseConnection& connection_;
    Mutex<PulseCaptureSessions> sessions_;
    QString sourceName_;
    std::atomic<bool> isRunning_ = false;
    bool isConfiguring_ = false;
    AudioStreamDescription description_;
    pa_stream* stream_ = nullptr;  // with the loop locked only
    std::mutex handlerMutex_;
    BufferHandler handler_;
};

PulseAudioCaptureService::PulseAudioCaptureService(PulseConnection& connection)
    : connection_(connection) {
    connection_.addObserver(
        [&connection, sessions = sessions_](const SoundServerState&, const SoundServerState&) {
            connection.withLoopLocked([&](pa_context*) {
                for (auto* session :
                     sessions.withLock([](const PulseCaptureSessions& all) { return all; })) {
                    session->openIfReady();
                }
            });
        });
}

std::unique_ptr<AudioCaptureSession> PulseAudioCaptureService::makeSession() {
    return std::make_unique<PulseAudioCaptureSession>(connection_, sessions_);
}

}  // namespace tavrin
