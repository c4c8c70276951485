#pragma once

#include <QList>
#include <optional>
#include <vector>

#include "audio/AudioHogModeController.h"
#include "audio/AudioPropertyListener.h"
#include "camera/ConfigurationLockController.h"
#include "catalogue/CaptureSourceDevice.h"

namespace tavrin {

// The model of one audio input, kept by the microphone discovery for the whole run. It joins the
// framework microphone, the capture device and the audio hardware device of the same unique ID
// (which is also the audio UID); every change of a logged value is recorded as an event. The
// audio device object is never kept: each operation resolves the UID afresh.
class MicrophoneDevice final : public CaptureSourceDevice,
                               public std::enable_shared_from_this<MicrophoneDevice> {
    Q_OBJECT
public:
    // Creates the model from a framework microphone and records its "Discovered" event.
    static std::shared_ptr<MicrophoneDevice> create(AppContext& context,
                                                    std::shared_ptr<SXMicrophone> microphone);
    // Unsubscribes from the monitors; the listeners unregister as they go.
    ~MicrophoneDevice() override;

    DeviceEntry entry() override;
    QList<LoggedValue> loggedValues() const override;

    std::shared_ptr<SXMicrophone> sxMicrophone() const;
    // Adopts a newer framework object for the same microphone.
    void update(const std::shared_ptr<SXMicrophone>& microphone);

    const CaptureFormat& activeFormat() const { return activeFormat_; }
    const QList<CaptureInputSource>& inputSources() const { return inputSources_; }
    const std::optional<CaptureInputSource>& activeInputSource() const {
        return activeInputSource_;
    }
    bool isConnected() const { return isConnected_; }
    bool isMuted() const { return isMuted_; }
    bool isMuteSupported() const { return isMuteSupported_; }
    bool isMuteSettable() const { return isMuteSettable_; }
    const std::optional<float>& volume() const { return volume_; }
    bool isVolumeSupported() const { return isVolumeSupported_; }
    bool isVolumeSettable() const { return isVolumeSettable_; }
    const std::optional<double>& sampleRate() const { return sampleRate_; }
    const QList<double>& availableSampleRates() const { return availableSampleRates_; }
    bool isSampleRateSettable() const { return isSampleRateSettable_; }
    bool isDefaultInput() const { return isDefaultInput_; }
    ConfigurationLockController& configurationLock() { return *configurationLock_; }
    AudioHogModeController& audioHogMode() { return *audioHogMode_; }

    // The commands; a failure is written to the device's log.
    void setMuted(bool muted);
    void setVolume(float volume);
    void setSampleRate(double rate);
    void setActiveInputSource(const CaptureInputSource& source);
    void makeDefaultInput();

    // "lpcm @ 48,000 Hz × 2ch" (in an English locale); the subtype alone without a stream
    // description; "—" for no format.
    static QString formatSummary(const CaptureFormat& format);

signals:
    void activeFormatChanged();
    void inputSourcesChanged();
    void activeInputSourceChanged();
    void isConnectedChanged();
    void isMutedChanged();
    void volumeChanged();
    void sampleRateChanged();
    void isDefaultInputChanged();

private:
    MicrophoneDevice(AppContext& context, std::shared_ptr<SXMicrophone> microphone);

    void readAudioSupport();
    void readAudioDevice();
    void subscribeToMonitors();
    void installListeners(ObjectID device);
    void observeCaptureDevice();
    void readActiveFormat();
    void readInputSources();
    void readConnection();
    std::optional<ObjectID> resolve();
    // What OS callbacks hold: callable from any thread, even once the microphone is gone, it runs
    // the task on the main thread only if the microphone still exists then.
    using Task = std::function<void(MicrophoneDevice&)>;
    using Later = std::function<void(Task)>;
    Later later();

    void setIsMuted(bool value);
    void setVolumeValue(const std::optional<float>& value);
    void setSampleRateValue(const std::optional<double>& value);
    void setIsDefaultInput(bool value);

    CaptureFormat activeFormat_;
    QList<CaptureInputSource> inputSources_;
    std::optional<CaptureInputSource> activeInputSource_;
    bool isConnected_ = false;
    bool isMuted_ = false;
    bool isMuteSupported_ = false;
    bool isMuteSettable_ = false;
    std::optional<float> volume_;
    bool isVolumeSupported_ = false;
    bool isVolumeSettable_ = false;
    std::optional<double> sampleRate_;
    QList<double> availableSampleRates_;
    bool isSampleRateSettable_ = false;
    bool isDefaultInput_ = false;
    std::unique_ptr<ConfigurationLockController> configurationLock_;
    std::unique_ptr<AudioHogModeController> audioHogMode_;
    std::optional<std::uint64_t> audioSubscriberID_;
    std::optional<std::uint64_t> muteSubscriberID_;
    std::unique_ptr<AudioPropertyListener> volumeListener_;
    std::unique_ptr<AudioPropertyListener> sampleRateListener_;
    std::unique_ptr<AudioPropertyListener> defaultInputListener_;
};

}  // namespace tavrin
