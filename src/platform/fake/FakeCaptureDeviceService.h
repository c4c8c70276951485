#pragma once

#include <QHash>

#include "platform/CaptureDeviceService.h"
#include "platform/fake/FakeCaptureDevice.h"
#include "platform/fake/FakeKeyValueObservers.h"
#include "runtime/Mutex.h"

namespace tavrin {

// The fake capture service: the devices a test adds, looked up from any thread, and the
// class-wide video effect settings that "the user" switches in the system's menu.
class FakeCaptureDeviceService final : public CaptureDeviceService {
public:
    explicit FakeCaptureDeviceService(NotificationThread& notifications);

    std::shared_ptr<CaptureDevice> deviceWithUniqueID(const QString& uniqueID) override;
    bool supportsBackgroundReplacement() const override;
    VideoEffectSettings videoEffectSettings() const override;
    Subscription observeVideoEffect(const QString& keyPath,
                                    std::function<void()> onChange) override;
    std::optional<QString> userPreferredCamera() const override;
    std::optional<QString> systemPreferredCamera() const override;
    void setCenterStageControlMode(CenterStageControlMode mode) override;
    void setCenterStageEnabled(bool enabled) override;
    void setUserPreferredCamera(const QString& uniqueID) override;

    std::shared_ptr<FakeCaptureDevice> add(const FakeCaptureDeviceState& state);
    void remove(const QString& uniqueID);
    std::shared_ptr<FakeCaptureDevice> fakeDevice(const QString& uniqueID) const;
    // While set, every lookup finds nothing, as when the capture service isn't reachable.
    void setLookupsFail(bool fail);

    void setSupportsBackgroundReplacement(bool supported);
    // The user changes the settings; observers of the key paths that changed are told.
    void setVideoEffectSettings(const VideoEffectSettings& settings);
    // Observers of the preferred-camera key paths are told of those that changed.
    void setPreferredCameras(std::optional<QString> user, std::optional<QString> system);
    // Runs `action` once, on the reading thread, right after the next read of the settings has
    // been answered: a test changes them exactly between a read and what the reader does next.
    void afterNextSettingsRead(std::function<void()> action);
    std::size_t videoEffectObserverCount() const { return effectObservers_.observerCount(); }

private:
    struct State {
        QHash<QString, std::shared_ptr<FakeCaptureDevice>> devices;
        QHash<QString, std::shared_ptr<FakeCaptureDevice>> departed;
        bool lookupsFail = false;
        bool supportsBackgroundReplacement = true;
        VideoEffectSettings effects;
        std::optional<QString> userPreferredCamera;
        std::optional<QString> systemPreferredCamera;
        std::function<void()> afterSettingsRead;
    };
    NotificationThread& notifications_;
    Mutex<State> state_;
    FakeKeyValueObservers effectObservers_;
};

}  // namespace tavrin
