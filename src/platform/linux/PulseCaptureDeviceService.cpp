#include "platform/linux/PulseCaptureDeviceService.h"

#include <pulse/pulseaudio.h>

#include <QStringList>

namespace tavrin {

namespace {

constexpr std::int32_t unsupportedDeviceError = -11814;

}  // namespace

CaptureFormat soundServerFormat(const SoundServerSource& source) {
    auto format = std::make_shared<CaptureDeviceFormat>();
    format->mediaSubtype = linearPCMFormat;
    format->streamDescription = interleavedLinearPCM(source.sampleRate, source.channels,
                                                     source.bitsPerSample, source.isFloat);
    return format;
}

QList<CaptureInputSource> soundServerInputSources(const SoundServerSource& source) {
    QList<CaptureInputSource> sources;
    for (const auto& port : source.ports) {
        sources.append(CaptureInputSource{port.name, port.description});
    }
    return sources;
}

std::optional<CaptureInputSource> soundServerActiveInputSource(const SoundServerSource& source) {
    for (const auto& port : source.ports) {
        if (port.name == source.activePort) {
            return CaptureInputSource{port.name, port.description};
        }
    }
    return std::nullopt;
}

std::int32_t soundServerTransportType(const SoundServerSource& source) {
    if (!source.hasHardware) {
        return std::int32_t(fourCC("virt"));
    }
    static const QHash<QString, FourCharCode> byBus{{QStringLiteral("usb"), fourCC("usb ")},
                                                    {QStringLiteral("bluetooth"), fourCC("blue")},
                                                    {QStringLiteral("pci"), fourCC("pci ")},
                                                    {QStringLiteral("firewire"), fourCC("1394")}};
    return std::int32_t(byBus.value(source.bus, fourCC("bltn")));
}

namespace {

bool isInUseByAnotherProcess(const SoundServerState& state, const SoundServerSource& source,
                             std::int32_t ownPID) {
    for (const auto& stream : state.streams) {
        if (stream.sourceIndex == source.index && !stream.isCorked &&
            state.processID(stream) != ownPID) {
            return true;
        }
    }
    return false;
}

}  // namespace

class PulseCaptureDeviceService::Device final : public CaptureDevice {
public:
    Device(PulseCaptureDeviceService& service, QString sourceName)
        : service_(service), sourceName_(std::move(sourceName)) {}

    QString uniqueID() const override { return sourceName_; }
    QString deviceType() const override { return CaptureDeviceType::microphone; }
    std::int32_t transportType() const override {
        return read(soundServerTransportType, std::int32_t(fourCC("virt")));
    }
    CameraPosition position() const override { return CameraPosition::unspecified; }

    QList<CaptureFormat> formats() const override {
        const auto format = activeFormat();
        return format ? QList<CaptureFormat>{format} : QList<CaptureFormat>{};
    }
    CaptureFormat activeFormat() const override { return read(soundServerFormat, CaptureFormat()); }
    MediaTime activeVideoMinFrameDuration() const override { return {}; }
    MediaTime activeVideoMaxFrameDuration() const override { return {}; }
    int activeColorSpace() const override { return 0; }

    bool isConnected() const override {
        return read([](const SoundServerSource&) { return true; }, false);
    }
    bool isSuspended() const override { return false; }
    bool isInUseByAnotherApplication() const override {
        const auto state = service_.connection_.state();
        const auto* source = state.microphone(sourceName_);
        return source && isInUseByAnotherProcess(state, *source, service_.ownPID_);
    }

    bool isCenterStageActive() const override { return false; }
    bool isPortraitEffectActive() const override { return false; }
    bool isStudioLightActive() const override { return false; }
    bool isBackgroundReplacementActive() const override { return false; }
    bool canPerformReactionEffects() const override { return false; }
    int exposureMode() const override { return 0; }
    int focusMode() const override { return 0; }
    int whiteBalanceMode() const override { return 0; }
    bool isExposureModeSupported(int) const override { return false; }
    bool isFocusModeSupported(int) const override { return false; }
    bool isWhiteBalanceModeSupported(int) const override { return false; }

    QList<CaptureInputSource> inputSources() const override {
        return read(soundServerInputSources, QList<CaptureInputSource>());
    }
    std::optional<CaptureInputSource> activeInputSource() const override {
        return read(soundServerActiveInputSource, std::optional<CaptureInputSource>());
    }

    bool hasConfigurationLock() const override { return false; }
    std::optional<CaptureError> lockForConfiguration() override {
        return CaptureError{unsupportedDeviceError, noConfigurationLockText};
    }
    void unlockForConfiguration() override {}

    void setActiveFormat(const CaptureFormat&) override {}
    void setActiveVideoMinFrameDuration(const MediaTime&) override {}
    void setActiveVideoMaxFrameDuration(const MediaTime&) override {}
    void setActiveColorSpace(int) override {}
    void setExposureMode(int) override {}
    void setFocusMode(int) override {}
    void setWhiteBalanceMode(int) override {}

    void setActiveInputSource(const CaptureInputSource& source) override {
        const auto name = sourceName_.toUtf8();
        const auto port = source.inputSourceID.toUtf8();
        service_.connection_.perform([&](pa_context* context, auto done, void* userdata) {
            return pa_context_set_source_port_by_name(context, name.constData(), port.constData(),
                                                      done, userdata);
        });
    }

    Subscription observe(const QString& keyPath, std::function<void()> onChange) override {
        auto observation = std::make_shared<const Observation>(
            Observation{sourceName_, keyPath, std::move(onChange)});
        const auto id = service_.observations_.withLock([&](Observations& observations) {
            const auto id = observations.nextID++;
            observations.byID.insert(id, observation);
            return id;
        });
        return Subscription([observations = service_.observations_, id] {
            observations.withLock([id](Observations& all) { all.byID.remove(id); });
        });
    }

private:
    template <typename Read, typename T>
    T read(Read&& reader, T absent) const {
        const auto state = service_.connection_.state();
        const auto* source = state.microphone(sourceName_);
        return source ? T(reader(*source)) : absent;
    }

    PulseCaptureDeviceService& service_;
    const QString sourceName_;
};

PulseCaptureDeviceService::PulseCaptureDeviceService(PulseConnection& connection,
                                                     std::int32_t ownPID)
    : connection_(connection), ownPID_(ownPID) {
    connection_.addObserver([observations = observations_, ownPID](const SoundServerState& before,
                                                                   const SoundServerState& after) {
        const auto all = observations.withLock([](const Observations& all) { return all.byID; });
        for (const auto& observation : all) {
            if (keyPathValue(before, observation->sourceName, observation->keyPath, ownPID) !=
                keyPathValue(after, observation->sourceName, observation->keyPath, ownPID)) {
                observation->onChange();
            }
        }
    });
}

std::shared_ptr<CaptureDevice> PulseCaptureDeviceService::deviceWithUniqueID(
    const QString& uniqueID) {
    if (!connection_.state().microphone(uniqueID)) {
        return nullptr;
    }
    return devices_.withLock([&](QHash<QString, std::weak_ptr<CaptureDevice>>& devices) {
        auto device = devices.value(uniqueID).lock();
        if (!device) {
            device = std::make_shared<Device>(*this, uniqueID);
            devices.insert(uniqueID, device);
        }
        return device;
    });
}

QString PulseCaptureDeviceService::keyPathValue(const SoundServerState& state,
                                                const QString& sourceName, const QString& keyPath,
                                                std::int32_t ownPID) {
    const auto* source = state.microphone(sourceName);
    if (!source) {
        return {};
    }
    namespace Key = CaptureKeyPath;
    if (keyPath == Key::connected) {
        return QStringLiteral("connected");
    }
    if (keyPath == Key::activeFormat || keyPath == Key::formats) {
        return QStringLiteral("%1/%2/%3/%4")
            .arg(source->sampleRate)
            .arg(source->channels)
            .arg(source->bitsPerSample)
            .arg(source->isFloat);
    }
    if (keyPath == Key::activeInputSource) {
        QStringList ports;
        for (const auto& port : source->ports) {
            ports.append(port.name + QLatin1Char('\x1f') + port.description);
        }
        return source->activePort + QLatin1Char('\x1e') + ports.join(QLatin1Char('\x1e'));
    }
    if (keyPath == Key::inUseByAnotherApplication) {
        return isInUseByAnotherProcess(state, *source, ownPID) ? QStringLiteral("in use")
                                                               : QString();
    }
    return {};
}

}  // namespace tavrin
