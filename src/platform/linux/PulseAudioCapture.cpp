#include "platform/linux/PulseAudioCapture.h"

#include <pulse/pulseaudio.h>

#include <atomic>
#include <mutex>

namespace tavrin {

namespace {

constexpr pa_usec_t fragmentDuration = 20'000;

class PulseAudioCaptureSession final : public AudioCaptureSession {
public:
    explicit PulseAudioCaptureSession(PulseConnection& connection) : connection_(connection) {}
    ~PulseAudioCaptureSession() override { stopRunning(); }

    void setBufferHandler(BufferHandler handler) override {
        std::lock_guard lock(handlerMutex_);
        handler_ = std::move(handler);
    }
    bool isRunning() const override { return isRunning_; }

    void startRunning() override {
        if (isRunning_ || sourceName_.isEmpty()) {
            return;
        }
        const auto state = connection_.state();
        const auto* source = state.microphone(sourceName_);
        if (!source || source->channels == 0 || source->channels > PA_CHANNELS_MAX) {
            return;
        }
        const pa_sample_spec spec{PA_SAMPLE_FLOAT32LE, source->sampleRate,
                                  std::uint8_t(source->channels)};
        if (!pa_sample_spec_valid(&spec)) {
            return;
        }
        connection_.withLoopLocked([&](pa_context* context) {
            if (!context) {
                return;
            }
            stream_ = pa_stream_new(context, "Tavrin level meter", &spec, nullptr);
            if (!stream_) {
                return;
            }
            pa_stream_set_state_callback(stream_, streamStateChanged, this);
            pa_stream_set_read_callback(stream_, dataArrived, this);
            pa_buffer_attr attributes{};
            attributes.maxlength = std::uint32_t(-1);
            attributes.tlength = std::uint32_t(-1);
            attributes.prebuf = std::uint32_t(-1);
            attributes.minreq = std::uint32_t(-1);
            attributes.fragsize = std::uint32_t(pa_usec_to_bytes(fragmentDuration, &spec));
            const auto name = sourceName_.toUtf8();
            if (pa_stream_connect_record(stream_, name.constData(), &attributes,
                                         PA_STREAM_ADJUST_LATENCY) < 0) {
                closeLocked();
                return;
            }
            description_ = AudioStreamDescription{double(spec.rate),
                                                  fourCC("lpcm"),
                                                  (1U << 0) | (1U << 3),
                                                  4U * spec.channels,
                                                  1,
                                                  4U * spec.channels,
                                                  spec.channels,
                                                  32};
            isRunning_ = true;
        });
    }

    // With the loop locked no delivery is in progress, and none starts after the stream closes.
    void stopRunning() override {
        connection_.withLoopLocked([this](pa_context*) { closeLocked(); });
    }

    void beginConfiguration() override {}
    void commitConfiguration() override {}

    bool addInput(const QString& uniqueID) override {
        if (!connection_.state().microphone(uniqueID)) {
            return false;
        }
        sourceName_ = uniqueID;
        return true;
    }
    void removeInput() override {
        stopRunning();
        sourceName_.clear();
    }

private:
    static void streamStateChanged(pa_stream* stream, void* userdata) {
        const auto state = pa_stream_get_state(stream);
        if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED) {
            static_cast<PulseAudioCaptureSession*>(userdata)->isRunning_ = false;
        }
    }

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

    void closeLocked() {
        isRunning_ = false;
        if (!stream_) {
            return;
        }
        pa_stream_set_state_callback(stream_, nullptr, nullptr);
        pa_stream_set_read_callback(stream_, nullptr, nullptr);
        pa_stream_disconnect(stream_);
        pa_stream_unref(stream_);
        stream_ = nullptr;
    }

    PulseConnection& connection_;
    QString sourceName_;
    std::atomic<bool> isRunning_ = false;
    AudioStreamDescription description_;
    pa_stream* stream_ = nullptr;  // with the loop locked only
    std::mutex handlerMutex_;
    BufferHandler handler_;
};

}  // namespace

std::unique_ptr<AudioCaptureSession> PulseAudioCaptureService::makeSession() {
    return std::make_unique<PulseAudioCaptureSession>(connection_);
}

}  // namespace tavrin
