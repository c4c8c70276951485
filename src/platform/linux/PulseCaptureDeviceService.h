#pragma once

#include <QHash>
#include <memory>

#include "platform/CaptureDeviceService.h"
#include "platform/linux/PulseConnection.h"
#include "runtime/Mutex.h"

namespace tavrin {

// What a microphone's capture device reports of its source.
CaptureFormat soundServerFormat(const SoundServerSource& source);
QList<CaptureInputSource> soundServerInputSources(const SoundServerSource& source);
std::optional<CaptureInputSource> soundServerActiveInputSource(const SoundServerSource& source);
// By the device's bus; 'virt' without hardware, 'bltn' for a bus without a code of its own.
std::int32_t soundServerTransportType(const SoundServerSource& source);

// The capture service over the sound server: a capture device for each microphone (source that
// monitors no sink), found by source name. Its active (and only) format is the source's sample
// spec as linear PCM; its input sources are the source's ports, the active one its active port,
// and choosing one switches the port. It is connected while the source is listed, and in use by
// another application while another process records from it. The sound server has no
// configuration lock, so taking one fails with a text that says so.
//
// There are no cameras and no video effects on this backend yet.
class PulseCaptureDeviceService final : public CaptureDeviceService {
public:
    PulseCaptureDeviceService(PulseConnection& connection, std::int32_t ownPID);

    std::shared_ptr<CaptureDevice> deviceWithUniqueID(const QString& uniqueID) override;
    bool supportsBackgroundReplacement() const override { return false; }
    VideoEffectSettings videoEffectSettings() const override { return {}; }
    Subscription observeVideoEffect(const QString&, std::function<void()>) override { return {}; }
    std::optional<QString> userPreferredCamera() const override { return std::nullopt; }
    std::optional<QString> systemPreferredCamera() const override { return std::nullopt; }
    void setCenterStageControlMode(CenterStageControlMode) override {}
    void setCenterStageEnabled(bool) override {}
    void setUserPreferredCamera(const QString&) override {}

    // What a capture device of this source reports for a key path; absent for a key path that
    // never changes here. Compared between states to tell observers.
    static QString keyPathValue(const SoundServerState& state, const QString& sourceName,
                                const QString& keyPath, std::int32_t ownPID);

    static inline const QString noConfigurationLockText = QStringLiteral(
        "The sound server has no configuration lock: its settings change without one");

private:
    struct Observation {
        QString sourceName;
        QString keyPath;
        std::function<void()> onChange;
    };
    struct Observations {
        std::uint64_t nextID = 0;
        QHash<std::uint64_t, std::shared_ptr<const Observation>> byID;
    };
    class Device;

    PulseConnection& connection_;
    const std::int32_t ownPID_;
    Mutex<Observations> observations_;
    Mutex<QHash<QString, std::weak_ptr<CaptureDevice>>> devices_;
};

}  // namespace tavrin
