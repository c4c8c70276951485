#include "platform/fake/FakeAudioCapture.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <numbers>

namespace tavrin {

namespace {

using namespace AudioFormatFlag;
constexpr FourCharCode linearPCM = linearPCMFormat;

template <typename Sample>
QByteArray interleaved(std::uint32_t channels, std::uint32_t frames,
                       const std::function<Sample(std::uint32_t frame)>& sample) {
    QByteArray data(qsizetype(channels) * frames * qsizetype(sizeof(Sample)), '\0');
    auto* samples = reinterpret_cast<Sample*>(data.data());
    for (std::uint32_t frame = 0; frame < frames; ++frame) {
        for (std::uint32_t channel = 0; channel < channels; ++channel) {
            samples[frame * channels + channel] = sample(frame);
        }
    }
    return data;
}

AudioStreamDescription integerDescription(std::uint32_t channels, std::uint32_t bits) {
    return {48000, linearPCM,           isSignedInteger, channels * bits / 8,
            1,     channels * bits / 8, channels,        bits};
}

}  // namespace

std::unique_ptr<AudioCaptureSession> FakeAudioCaptureService::makeSession() {
    return std::make_unique<FakeAudioCaptureSession>(*this);
}

void FakeAudioCaptureService::addDevice(const QString& uniqueID, std::uint32_t channels) {
    state_.withLock([&](State& state) { state.devices.insert(uniqueID, std::max(1U, channels)); });
}

void FakeAudioCaptureService::removeDevice(const QString& uniqueID) {
    state_.withLock([&](State& state) { state.devices.remove(uniqueID); });
}

bool FakeAudioCaptureService::hasDevice(const QString& uniqueID) const {
    return state_.withLock([&](const State& state) { return state.devices.contains(uniqueID); });
}

std::uint32_t FakeAudioCaptureService::channelCount(const QString& uniqueID) const {
    return state_.withLock([&](const State& state) { return state.devices.value(uniqueID, 2); });
}

FakeAudioCaptureSession* FakeAudioCaptureService::session() const {
    return state_.withLock([](const State& state) { return state.session; });
}

void FakeAudioCaptureService::setLiveSignal(bool live) {
    state_.withLock([&](State& state) { state.liveSignal = live; });
}

bool FakeAudioCaptureService::hasLiveSignal() const {
    return state_.withLock([](const State& state) { return state.liveSignal; });
}

FakeAudioCaptureSession::FakeAudioCaptureSession(FakeAudioCaptureService& service)
    : service_(service) {
    service_.state_.withLock([&](auto& state) { state.session = this; });
}

FakeAudioCaptureSession::~FakeAudioCaptureSession() {
    stopGenerating();
    service_.state_.withLock([&](auto& state) {
        if (state.session == this) {
            state.session = nullptr;
        }
    });
    handler_.withLock([](BufferHandler& handler) { handler = nullptr; });
}

void FakeAudioCaptureSession::startRunning() {
    running_ = true;
    if (service_.hasLiveSignal() && !generating_.exchange(true)) {
        generator_ = std::thread([this] { generate(); });
    }
}

void FakeAudioCaptureSession::stopRunning() {
    running_ = false;
    stopGenerating();
}

void FakeAudioCaptureSession::stopGenerating() {
    generating_ = false;
    if (generator_.joinable()) {
        generator_.join();
    }
}

void FakeAudioCaptureSession::generate() {
    using namespace std::chrono;
    constexpr double sampleRate = 48000;
    constexpr std::uint32_t frames = 480;
    std::uint64_t position = 0;
    auto due = steady_clock::now();
    while (generating_) {
        // As many channels as the device has, so the meter shows its own bars.
        const auto input = this->input();
        const std::uint32_t channels = input ? service_.channelCount(*input) : 2;
        // A 220 Hz tone under a syllable-like envelope, each later channel a little quieter.
        AudioSampleBuffer buffer = constant(0, channels, frames, sampleRate);
        auto* samples = reinterpret_cast<float*>(buffer.channelData[0].data());
        for (std::uint32_t frame = 0; frame < frames; ++frame, ++position) {
            const double t = double(position) / sampleRate;
            const double envelope = 0.5 + 0.45 * std::sin(2 * std::numbers::pi * 0.7 * t) *
                                              std::sin(2 * std::numbers::pi * 3.1 * t);
            const double tone = std::sin(2 * std::numbers::pi * 220 * t);
            for (std::uint32_t channel = 0; channel < channels; ++channel) {
                samples[frame * channels + channel] =
                    float((0.9 - 0.4 * std::min(channel, 1U)) * envelope * tone);
            }
        }
        deliver(buffer);
        due += microseconds(10000);
        // After a stall the tone goes on from now rather than bursting to catch up.
        due = std::max(due, steady_clock::now() - milliseconds(50));
        std::this_thread::sleep_until(due);
    }
}

void FakeAudioCaptureSession::setBufferHandler(BufferHandler handler) {
    handler_.withLock([&](BufferHandler& current) { current = std::move(handler); });
}

bool FakeAudioCaptureSession::addInput(const QString& uniqueID) {
    if (!service_.hasDevice(uniqueID)) {
        return false;
    }
    input_.withLock([&](std::optional<QString>& input) { input = uniqueID; });
    ++inputsAdded_;
    return true;
}

void FakeAudioCaptureSession::removeInput() {
    input_.withLock([](std::optional<QString>& input) { input.reset(); });
}

std::optional<QString> FakeAudioCaptureSession::input() const {
    return input_.withLock([](const std::optional<QString>& input) { return input; });
}

void FakeAudioCaptureSession::deliver(const AudioSampleBuffer& buffer, int times) {
    for (int i = 0; i < times; ++i) {
        thread_.deliver([this, buffer] {
            if (!running_ || !input()) {
                return;  // a stopped session or one without input captures nothing
            }
            const auto handler = handler_.withLock([](const BufferHandler& h) { return h; });
            if (handler) {
                handler(buffer);
            }
        });
    }
}

AudioStreamDescription FakeAudioCaptureSession::floatDescription(double sampleRate,
                                                                 std::uint32_t channels,
                                                                 bool isInterleaved) {
    const std::uint32_t frameBytes = isInterleaved ? 4 * channels : 4;
    return {sampleRate, linearPCM, isFloat | (isInterleaved ? 0 : isNonInterleaved),
            frameBytes, 1,         frameBytes,
            channels,   32};
}

AudioSampleBuffer FakeAudioCaptureSession::constant(float level, std::uint32_t channels,
                                                    std::uint32_t frames, double sampleRate) {
    return {floatDescription(sampleRate, channels),
            AudioSampleBuffer::SampleType::float32,
            true,
            frames,
            {interleaved<float>(channels, frames, [level](auto) { return level; })}};
}

AudioSampleBuffer FakeAudioCaptureSession::sine(float amplitude, double frequency,
                                                std::uint32_t channels, std::uint32_t frames,
                                                double sampleRate) {
    return {floatDescription(sampleRate, channels),
            AudioSampleBuffer::SampleType::float32,
            true,
            frames,
            {interleaved<float>(channels, frames, [&](std::uint32_t frame) {
                return amplitude *
                       float(std::sin(2 * std::numbers::pi * frequency * frame / sampleRate));
            })}};
}

AudioSampleBuffer FakeAudioCaptureSession::int16Constant(std::int16_t value, std::uint32_t channels,
                                                         std::uint32_t frames) {
    return {integerDescription(channels, 16),
            AudioSampleBuffer::SampleType::int16,
            true,
            frames,
            {interleaved<std::int16_t>(channels, frames, [value](auto) { return value; })}};
}

AudioSampleBuffer FakeAudioCaptureSession::int32Constant(std::int32_t value, std::uint32_t channels,
                                                         std::uint32_t frames) {
    return {integerDescription(channels, 32),
            AudioSampleBuffer::SampleType::int32,
            true,
            frames,
            {interleaved<std::int32_t>(channels, frames, [value](auto) { return value; })}};
}

}  // namespace tavrin
