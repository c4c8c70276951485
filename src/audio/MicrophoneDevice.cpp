#include "audio/MicrophoneDevice.h"

#include <QPointer>
#include <set>

#include "app/AppContext.h"
#include "audio/AudioDeviceMuteMonitor.h"
#include "audio/AudioDeviceUsageMonitor.h"
#include "catalogue/ChangeMessage.h"
#include "catalogue/DeviceEntry.h"
#include "catalogue/EventSource.h"
#include "platform/AudioHardware.h"
#include "runtime/TextFormat.h"

namespace tavrin {

namespace {

using namespace AudioSelector;

constexpr PropertyAddress muteAddress = inputAddress(mute);
constexpr PropertyAddress volumeAddress = inputAddress(volumeScalar);
constexpr PropertyAddress sampleRateAddress = globalAddress(nominalSampleRate);
constexpr PropertyAddress sampleRatesAddress = globalAddress(availableNominalSampleRates);
constexpr PropertyAddress defaultInputAddress = globalAddress(defaultInputDevice);

bool isSettable(ObjectPropertyService& hardware, ObjectID device, const PropertyAddress& address) {
    bool settable = false;
    return hardware.isPropertySettable(device, address, settable) == OSStatusCode::noError &&
           settable;
}

bool readIsDefaultInput(ObjectPropertyService& hardware, ObjectID device) {
    return readProperty<std::uint32_t>(hardware, systemObjectID, defaultInputAddress) == device;
}

QString volumeText(const std::optional<float>& volume) {
    return volume ? QString::asprintf("%.0f%%", double(*volume) * 100) : absentText();
}

// The whole hertz, as the log writes a rate.
QString rateText(double rate) {
    return std::isfinite(rate) && std::fabs(rate) < 9.0e18
               ? QString::number(static_cast<long long>(rate)) + QStringLiteral(" Hz")
               : QString::number(rate) + QStringLiteral(" Hz");
}

QString sampleRateText(const std::optional<double>& rate) {
    return rate ? rateText(*rate) : absentText();
}

QString sourceText(const std::optional<CaptureInputSource>& source) {
    return source ? source->localizedName : absentText();
}

}  // namespace

MicrophoneDevice::MicrophoneDevice(AppContext& context, std::shared_ptr<SXMicrophone> microphone)
    : CaptureSourceDevice(context, std::move(microphone)) {}

std::shared_ptr<MicrophoneDevice> MicrophoneDevice::create(
    AppContext& context, std::shared_ptr<SXMicrophone> microphone) {
    std::shared_ptr<MicrophoneDevice> device(new MicrophoneDevice(context, microphone));
    auto& self = *device;
    QPointer<MicrophoneDevice> weak(device.get());
    auto deviceName = [weak, microphone] {
        return weak ? weak->localizedName() : microphone->localizedName.value();
    };
    self.configurationLock_ = std::make_unique<ConfigurationLockController>(
        context.queue(), context.eventLog(), self.avDevice(), self.uuid(), deviceName);
    self.audioHogMode_ = std::make_unique<AudioHogModeController>(context, self.id(), self.uuid());
    self.audioHogMode_->setDeviceName(deviceName);

    // Observe first, then read: a change between the two would otherwise never be seen. One that
    // lands after the observation is in place and before the read is read here and told again
    // later, and the second telling finds the value equal and records nothing.
    self.readAudioSupport();
    self.subscribe(microphone);
    self.observeCaptureDevice();
    self.subscribeToMonitors();
    if (const auto resolved = self.resolve()) {
        self.installListeners(*resolved);
    }
    if (const auto& capture = self.avDevice()) {
        self.activeFormat_ = capture->activeFormat();
        self.inputSources_ = capture->inputSources();
        self.activeInputSource_ = capture->activeInputSource();
        self.isConnected_ = capture->isConnected();
    }
    self.initializeUsage(self.avDevice() && self.avDevice()->isInUseByAnotherApplication(),
                         context.audioUsageMonitor().isRunningSomewhere(self.id()));
    self.readAudioDevice();

    QStringList parts{formatSummary(self.activeFormat_), self.usagePart()};
    if (self.isMuteSupported_ && self.isMuted_) {
        parts.append(QStringLiteral("muted"));
    }
    parts += self.captureDeviceDiscoveryParts();
    self.recordEvent(discoveryMessage(self.localizedName(), parts), EventSource::discovery);
    return device;
}

MicrophoneDevice::~MicrophoneDevice() {
    if (audioSubscriberID_) {
        context_.audioUsageMonitor().unsubscribe(id(), *audioSubscriberID_);
    }
    if (muteSubscriberID_) {
        context_.audioMuteMonitor().unsubscribe(id(), *muteSubscriberID_);
    }
}

// Which properties the device has, which decides what is observed. It never changes.
void MicrophoneDevice::readAudioSupport() {
    auto& hardware = context_.platform().audioHardware();
    auto& muteMonitor = context_.audioMuteMonitor();
    if (const auto device = muteMonitor.deviceID(id())) {
        isMuteSupported_ = hardware.hasProperty(*device, muteAddress);
    }
    if (const auto device = resolve()) {
        isVolumeSupported_ = hardware.hasProperty(*device, volumeAddress);
    }
}

// The audio hardware's values at creation; what is only read here never changes afterwards.
void MicrophoneDevice::readAudioDevice() {
    auto& hardware = context_.platform().audioHardware();
    auto& muteMonitor = context_.audioMuteMonitor();
    isMuteSettable_ = muteMonitor.isMuteSettable(id());
    isMuted_ = muteMonitor.isMuted(id());

    const auto device = resolve();
    if (!device) {
        return;
    }
    isVolumeSettable_ = isSettable(hardware, *device, volumeAddress);
    volume_ = readProperty<float>(hardware, *device, volumeAddress);
    isSampleRateSettable_ = isSettable(hardware, *device, sampleRateAddress);
    sampleRate_ = readProperty<double>(hardware, *device, sampleRateAddress);
    std::set<double> rates;
    for (const auto& range : readProperty<QList<ValueRange>>(hardware, *device, sampleRatesAddress)
                                 .value_or(QList<ValueRange>())) {
        rates.insert(range.minimum);
        rates.insert(range.maximum);
    }
    availableSampleRates_ = QList<double>(rates.begin(), rates.end());
    isDefaultInput_ = readIsDefaultInput(hardware, *device);
}

MicrophoneDevice::Later MicrophoneDevice::later() {
    return [&queue = context_.queue(), self = QPointer(this)](Task task) {
        queue.post([self, task = std::move(task)] {
            if (self) {
                task(*self);
            }
        });
    };
}

void MicrophoneDevice::subscribeToMonitors() {
    audioSubscriberID_ =
        context_.audioUsageMonitor().subscribe(id(), [later = later()](bool running) {
            later([running](MicrophoneDevice& self) { self.setIsRunningSomewhere(running); });
        });
    if (isMuteSupported_) {
        muteSubscriberID_ =
            context_.audioMuteMonitor().subscribe(id(), [later = later()](bool muted) {
                later([muted](MicrophoneDevice& self) { self.setIsMuted(muted); });
            });
    }
}

void MicrophoneDevice::installListeners(ObjectID device) {
    auto& hardware = context_.platform().audioHardware();
    if (isVolumeSupported_) {
        volumeListener_ = AudioPropertyListener::registered(
            hardware, device, volumeAddress, [later = later()](const auto&) {
                later([](MicrophoneDevice& self) {
                    if (const auto resolved = self.resolve()) {
                        self.setVolumeValue(readProperty<float>(
                            self.context_.platform().audioHardware(), *resolved, volumeAddress));
                    }
                });
            });
    }
    sampleRateListener_ = AudioPropertyListener::registered(
        hardware, device, sampleRateAddress, [later = later()](const auto&) {
            later([](MicrophoneDevice& self) {
                if (const auto resolved = self.resolve()) {
                    self.setSampleRateValue(readProperty<double>(
                        self.context_.platform().audioHardware(), *resolved, sampleRateAddress));
                }
            });
        });
    defaultInputListener_ = AudioPropertyListener::registered(
        hardware, systemObjectID, defaultInputAddress, [later = later()](const auto&) {
            later([](MicrophoneDevice& self) {
                const auto resolved = self.resolve();
                self.setIsDefaultInput(
                    resolved &&
                    readIsDefaultInput(self.context_.platform().audioHardware(), *resolved));
            });
        });
}

void MicrophoneDevice::observeCaptureDevice() {
    if (!avDevice()) {
        return;
    }
    namespace Key = CaptureKeyPath;
    const std::vector<std::pair<QString, void (MicrophoneDevice::*)()>> groups{
        {Key::activeFormat, &MicrophoneDevice::readActiveFormat},
        {Key::activeInputSource, &MicrophoneDevice::readInputSources},
        {Key::connected, &MicrophoneDevice::readConnection},
        {Key::inUseByAnotherApplication, &MicrophoneDevice::readConnection},
    };
    for (const auto& [keyPath, reread] : groups) {
        observeKeyPath(keyPath, [this, reread = reread] { (this->*reread)(); });
    }
}

std::optional<ObjectID> MicrophoneDevice::resolve() {
    return context_.audioMuteMonitor().deviceID(id());
}

QList<LoggedValue> MicrophoneDevice::loggedValues() const {
    auto values = CaptureSourceDevice::loggedValues();
    values += {
        {QStringLiteral("muted"), yesNoText(isMuted_), EventSource::usage},
        {QStringLiteral("volume"), volumeText(volume_), EventSource::audio},
        {QStringLiteral("sample rate"), sampleRateText(sampleRate_), EventSource::audio},
        {QStringLiteral("default input"), yesNoText(isDefaultInput_), EventSource::system},
    };
    if (avDevice()) {
        values += {
            {QStringLiteral("active format"), formatSummary(activeFormat_), EventSource::capture},
            {QStringLiteral("active input source"), sourceText(activeInputSource_),
             EventSource::capture},
            {QStringLiteral("connected"), yesNoText(isConnected_), EventSource::usage},
        };
    }
    return values;
}

void MicrophoneDevice::readActiveFormat() {
    const auto format = avDevice()->activeFormat();
    if (sameFormat(activeFormat_, format)) {
        return;
    }
    const auto old = std::exchange(activeFormat_, format);
    emit activeFormatChanged();
    recordChange(QStringLiteral("active format"), formatSummary(old), formatSummary(format),
                 EventSource::capture);
}

void MicrophoneDevice::readInputSources() {
    const auto sources = avDevice()->inputSources();
    if (sources != inputSources_) {
        const auto oldCount = inputSources_.size();
        inputSources_ = sources;
        emit inputSourcesChanged();
        if (oldCount != sources.size()) {
            recordChange(QStringLiteral("input source list updated"), QString::number(oldCount),
                         QString::number(sources.size()), EventSource::capture);
        }
    }
    const auto active = avDevice()->activeInputSource();
    if (active != activeInputSource_) {
        const auto old = std::exchange(activeInputSource_, active);
        emit activeInputSourceChanged();
        recordChange(QStringLiteral("active input source"), sourceText(old), sourceText(active),
                     EventSource::capture);
    }
}

void MicrophoneDevice::readConnection() {
    const bool connected = avDevice()->isConnected();
    if (connected != isConnected_) {
        isConnected_ = connected;
        emit isConnectedChanged();
        recordChange(QStringLiteral("connected"), yesNoText(!connected), yesNoText(connected),
                     EventSource::usage);
    }
    setIsInUseByAnotherApplication(avDevice()->isInUseByAnotherApplication());
}

void MicrophoneDevice::setIsMuted(bool value) {
    if (value == isMuted_) {
        return;
    }
    isMuted_ = value;
    emit isMutedChanged();
    recordChange(QStringLiteral("muted"), yesNoText(!value), yesNoText(value), EventSource::usage);
}

void MicrophoneDevice::setVolumeValue(const std::optional<float>& value) {
    if (value == volume_) {
        return;
    }
    const auto old = std::exchange(volume_, value);
    emit volumeChanged();
    recordChange(QStringLiteral("volume"), volumeText(old), volumeText(value), EventSource::audio);
}

void MicrophoneDevice::setSampleRateValue(const std::optional<double>& value) {
    if (value == sampleRate_) {
        return;
    }
    const auto old = std::exchange(sampleRate_, value);
    emit sampleRateChanged();
    recordChange(QStringLiteral("sample rate"), sampleRateText(old), sampleRateText(value),
                 EventSource::audio);
}

void MicrophoneDevice::setIsDefaultInput(bool value) {
    if (value == isDefaultInput_) {
        return;
    }
    isDefaultInput_ = value;
    emit isDefaultInputChanged();
    recordChange(QStringLiteral("default input"), yesNoText(!value), yesNoText(value),
                 EventSource::system);
}

void MicrophoneDevice::setMuted(bool muted) {
    if (!isMuteSettable_) {
        return;
    }
    const auto device = resolve();
    if (!device ||
        context_.platform().audioHardware().setPropertyData(
            *device, muteAddress, std::uint32_t(muted ? 1 : 0)) != OSStatusCode::noError) {
        recordEvent(
            (muted ? QStringLiteral("Failed to mute ") : QStringLiteral("Failed to unmute ")) +
                localizedName(),
            EventSource::usage);
    }
}

void MicrophoneDevice::setVolume(float volume) {
    const auto device = isVolumeSettable_ ? resolve() : std::nullopt;
    if (device && context_.platform().audioHardware().setPropertyData(
                      *device, volumeAddress, volume) != OSStatusCode::noError) {
        recordEvent(QStringLiteral("Failed to set ") + localizedName() + QStringLiteral(" volume"),
                    EventSource::audio);
    }
}

void MicrophoneDevice::setSampleRate(double rate) {
    const auto device = isSampleRateSettable_ ? resolve() : std::nullopt;
    if (device && context_.platform().audioHardware().setPropertyData(
                      *device, sampleRateAddress, rate) != OSStatusCode::noError) {
        recordEvent(QStringLiteral("Failed to set ") + localizedName() +
                        QStringLiteral(" sample rate to ") + rateText(rate),
                    EventSource::audio);
    }
}

void MicrophoneDevice::makeDefaultInput() {
    const auto device = resolve();
    if (device &&
        context_.platform().audioHardware().setPropertyData(
            systemObjectID, defaultInputAddress, std::uint32_t(*device)) != OSStatusCode::noError) {
        recordEvent(QStringLiteral("Failed to set ") + localizedName() +
                        QStringLiteral(" as default input"),
                    EventSource::system);
    }
}

void MicrophoneDevice::setActiveInputSource(const CaptureInputSource& source) {
    if (!avDevice()) {
        return;
    }
    auto& capture = *avDevice();
    // Where the controller already holds the lock, or the OS has none, the source is set directly.
    if (configurationLock_->state().isLocked() || !capture.hasConfigurationLock()) {
        capture.setActiveInputSource(source);
        return;
    }
    if (const auto error = capture.lockForConfiguration()) {
        recordEvent(QStringLiteral("Failed to lock ") + localizedName() +
                        QStringLiteral(" to change input source: ") + error->localizedDescription,
                    EventSource::capture);
        return;
    }
    capture.setActiveInputSource(source);
    capture.unlockForConfiguration();
}

QString MicrophoneDevice::formatSummary(const CaptureFormat& format) {
    if (!format) {
        return absentText();
    }
    const auto subtype = fourCharCodeText(format->mediaSubtype);
    if (!format->streamDescription) {
        return subtype;
    }
    return subtype + QStringLiteral(" @ ") +
           localizedNumberText(format->streamDescription->sampleRate) +
           QStringLiteral(" Hz \u00d7 ") +
           QString::number(format->streamDescription->channelsPerFrame) + QStringLiteral("ch");
}

DeviceEntry MicrophoneDevice::entry() {
    return DeviceEntry(shared_from_this());
}

std::shared_ptr<SXMicrophone> MicrophoneDevice::sxMicrophone() const {
    return std::static_pointer_cast<SXMicrophone>(sourceObject());
}

void MicrophoneDevice::update(const std::shared_ptr<SXMicrophone>& microphone) {
    adopt(microphone);
}

}  // namespace tavrin
