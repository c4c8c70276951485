#pragma once

#include <QSet>

#include "platform/CaptureDevice.h"
#include "platform/fake/FakeKeyValueObservers.h"

namespace tavrin {

// Everything a fake capture device reports.
struct FakeCaptureDeviceState {
    QString uniqueID;
    QString deviceType;
    std::int32_t transportType = 0;
    CameraPosition position = CameraPosition::unspecified;
    QList<CaptureFormat> formats;
    CaptureFormat activeFormat;
    MediaTime activeVideoMinFrameDuration;
    MediaTime activeVideoMaxFrameDuration;
    int activeColorSpace = 0;
    bool isConnected = true;
    bool isSuspended = false;
    bool isInUseByAnotherApplication = false;
    bool isCenterStageActive = false;
    bool isPortraitEffectActive = false;
    bool isStudioLightActive = false;
    bool isBackgroundReplacementActive = false;
    bool canPerformReactionEffects = false;
    int exposureMode = 2;
    int focusMode = 2;
    int whiteBalanceMode = 2;
    QSet<int> supportedExposureModes{1, 2};
    QSet<int> supportedFocusModes{2};
    QSet<int> supportedWhiteBalanceModes{2};
    QList<CaptureInputSource> inputSources;
    std::optional<CaptureInputSource> activeInputSource;
    QList<CaptureDeviceOpener> openedBy;
    // Without one, setters act directly and locking always fails, as on a sound server.
    bool hasConfigurationLock = true;
};

// A capture device whose state a test changes "from another process"; each change is told to
// the key path's observers on the notification thread. The configuration lock has one holder:
// while another process holds it, locking fails. Setters without the lock are refused (and
// counted), as the real service refuses them.
class FakeCaptureDevice final : public CaptureDevice {
public:
    FakeCaptureDevice(NotificationThread& notifications, FakeCaptureDeviceState state);

    QString uniqueID() const override;
    QString deviceType() const override;
    std::int32_t transportType() const override;
    CameraPosition position() const override;
    QList<CaptureFormat> formats() const override;
    CaptureFormat activeFormat() const override;
    MediaTime activeVideoMinFrameDuration() const override;
    MediaTime activeVideoMaxFrameDuration() const override;
    int activeColorSpace() const override;
    bool isConnected() const override;
    bool isSuspended() const override;
    bool isInUseByAnotherApplication() const override;
    QList<CaptureDeviceOpener> openedBy() const override;
    bool isCenterStageActive() const override;
    bool isPortraitEffectActive() const override;
    bool isStudioLightActive() const override;
    bool isBackgroundReplacementActive() const override;
    bool canPerformReactionEffects() const override;
    int exposureMode() const override;
    int focusMode() const override;
    int whiteBalanceMode() const override;
    bool isExposureModeSupported(int mode) const override;
    bool isFocusModeSupported(int mode) const override;
    bool isWhiteBalanceModeSupported(int mode) const override;
    QList<CaptureInputSource> inputSources() const override;
    std::optional<CaptureInputSource> activeInputSource() const override;

    bool hasConfigurationLock() const override;
    std::optional<CaptureError> lockForConfiguration() override;
    void unlockForConfiguration() override;
    void setActiveFormat(const CaptureFormat& format) override;
    void setActiveVideoMinFrameDuration(const MediaTime& duration) override;
    void setActiveVideoMaxFrameDuration(const MediaTime& duration) override;
    void setActiveColorSpace(int colorSpace) override;
    void setExposureMode(int mode) override;
    void setFocusMode(int mode) override;
    void setWhiteBalanceMode(int mode) override;
    void setActiveInputSource(const CaptureInputSource& source) override;

    Subscription observe(const QString& keyPath, std::function<void()> onChange) override;

    // Another process changes the device: the state is changed now and the key paths' observers
    // are told on the notification thread.
    void change(const QStringList& keyPaths,
                const std::function<void(FakeCaptureDeviceState&)>& edit);
    FakeCaptureDeviceState state() const;
    // Another process takes or gives back the configuration lock.
    void setLockedByAnotherProcess(bool locked);
    bool isLockedByUs() const;
    int lockCount() const;
    int refusedSetCount() const;
    std::size_t observerCount() const { return observers_.observerCount(); }

private:
    struct Locked {
        FakeCaptureDeviceState device;
        bool lockedByUs = false;
        bool lockedByOther = false;
        int lockCount = 0;
        int refusedSets = 0;
    };
    template <typename Read>
    auto read(Read&& read) const {
        return state_.withLock([&](const Locked& locked) { return read(locked.device); });
    }
    void set(const QString& keyPath, const std::function<void(FakeCaptureDeviceState&)>& edit);

    Mutex<Locked> state_;
    FakeKeyValueObservers observers_;
};

}  // namespace tavrin
