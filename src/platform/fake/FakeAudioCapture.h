#pragma once

#include <QHash>

#include <thread>

#include <QSet>
#include <atomic>

#include "platform/AudioCaptureService.h"
#include "platform/fake/NotificationThread.h"
#include "runtime/Mutex.h"

namespace tavrin {

class FakeAudioCaptureSession;

// The fake capture service: sessions whose buffers a test scripts. Devices that can be opened
// are named by unique ID.
class FakeAudioCaptureService final : public AudioCaptureService {
public:
    std::unique_ptr<AudioCaptureSession> makeSession() override;

    // `channels` is what the live signal captures from the device.
    void addDevice(const QString& uniqueID, std::uint32_t channels = 2);
    void removeDevice(const QString& uniqueID);
    bool hasDevice(const QString& uniqueID) const;
    std::uint32_t channelCount(const QString& uniqueID) const;
    // The most recently made session that still exists, for the test to script.
    FakeAudioCaptureSession* session() const;
    // With a live signal (the demo), a running session with an input captures a generated voice-
    // like tone on its own, in 10 ms buffers, instead of only what a test scripts.
    void setLiveSignal(bool live);
    bool hasLiveSignal() const;

private:
    friend class FakeAudioCaptureSession;
    struct State {
        QHash<QString, std::uint32_t> devices;
        FakeAudioCaptureSession* session = nullptr;
        bool liveSignal = false;
    };
    Mutex<State> state_;
};

// Buffers are delivered on the session's own serial thread, and only while it runs with an input.
class FakeAudioCaptureSession final : public AudioCaptureSession {
public:
    explicit FakeAudioCaptureSession(FakeAudioCaptureService& service);
    ~FakeAudioCaptureSession() override;

    void setBufferHandler(BufferHandler handler) override;
    bool isRunning() const override { return running_; }
    void startRunning() override;
    void stopRunning() override;
    void beginConfiguration() override { ++configurations_; }
    void commitConfiguration() override {}
    bool addInput(const QString& uniqueID) override;
    void removeInput() override;

    // The test's script: each buffer is handed over on the session's thread, in order.
    void deliver(const AudioSampleBuffer& buffer, int times = 1);
    void waitUntilDelivered() { thread_.waitUntilIdle(); }
    std::optional<QString> input() const;
    int inputsAdded() const { return inputsAdded_; }
    int configurations() const { return configurations_; }

    // Scripted buffers.
    static AudioSampleBuffer constant(float level, std::uint32_t channels = 2,
                                      std::uint32_t frames = 512, double sampleRate = 48000);
    static AudioSampleBuffer sine(float amplitude, double frequency, std::uint32_t channels = 2,
                                  std::uint32_t frames = 512, double sampleRate = 48000);
    static AudioSampleBuffer int16Constant(std::int16_t value, std::uint32_t channels = 2,
                                           std::uint32_t frames = 512);
    static AudioSampleBuffer int32Constant(std::int32_t value, std::uint32_t channels = 1,
                                           std::uint32_t frames = 512);
    static AudioStreamDescription floatDescription(double sampleRate, std::uint32_t channels,
                                                   bool interleaved = true);

private:
    void generate();
    void stopGenerating();

    FakeAudioCaptureService& service_;
    std::atomic<bool> running_ = false;
    std::atomic<bool> generating_ = false;
    std::thread generator_;
    std::atomic<int> inputsAdded_ = 0;
    std::atomic<int> configurations_ = 0;
    Mutex<std::optional<QString>> input_;
    Mutex<BufferHandler> handler_;
    NotificationThread thread_;
};

}  // namespace tavrin
