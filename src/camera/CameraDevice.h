#pragma once

#include <QList>
#include <optional>
#include <vector>

#include "camera/CameraFormatSummary.h"
#include "camera/ConfigurationLockController.h"
#include "catalogue/CaptureSourceDevice.h"
#include "uvc/UVCSession.h"

namespace tavrin {

// Why a configuration command could not run.
struct ConfigurationError {
    enum class Kind { lockFailed, deviceUnavailable };

    Kind kind = Kind::deviceUnavailable;
    CaptureError lockError;  // what the lock reported, for lockFailed

    QString localizedDescription() const;
};

// The model of one camera, kept by the camera discovery for the whole run. It merges the
// framework camera's published values, the capture device of the same ID (observed by key path)
// and the camera usage monitor into one observable object; every change of a watched value is
// recorded as an event.
class CameraDevice final : public CaptureSourceDevice,
                           public std::enable_shared_from_this<CameraDevice> {
    Q_OBJECT
public:
    // Creates the model from a framework camera and records its "Discovered" event.
    static std::shared_ptr<CameraDevice> create(AppContext& context,
                                                std::shared_ptr<SXCamera> camera);
    ~CameraDevice() override;

    DeviceEntry entry() override;
    QList<LoggedValue> loggedValues() const override;

    std::shared_ptr<SXCamera> sxCamera() const;
    // Adopts a newer framework object for the same camera.
    void update(const std::shared_ptr<SXCamera>& camera);

    const CaptureFormat& activeFormat() const { return activeFormat_; }
    const QList<CaptureFormat>& formats() const { return formats_; }
    const MediaTime& activeMinFrameDuration() const { return activeMinFrameDuration_; }
    const MediaTime& activeMaxFrameDuration() const { return activeMaxFrameDuration_; }
    int activeColorSpace() const { return activeColorSpace_; }
    bool isConnected() const { return isConnected_; }
    bool isSuspended() const { return isSuspended_; }
    bool isCenterStageActive() const { return isCenterStageActive_; }
    bool isPortraitEffectActive() const { return isPortraitEffectActive_; }
    bool isStudioLightActive() const { return isStudioLightActive_; }
    bool isBackgroundReplacementActive() const { return isBackgroundReplacementActive_; }
    bool canPerformReactionEffects() const { return canPerformReactionEffects_; }
    int exposureMode() const { return exposureMode_; }
    int focusMode() const { return focusMode_; }
    int whiteBalanceMode() const { return whiteBalanceMode_; }
    const QList<int>& supportedExposureModes() const { return supportedExposureModes_; }
    const QList<int>& supportedFocusModes() const { return supportedFocusModes_; }
    const QList<int>& supportedWhiteBalanceModes() const { return supportedWhiteBalanceModes_; }
    const QList<CameraFormatSummary>& formatSummaries() const { return formatSummaries_; }
    std::optional<CameraFormatSummary> activeFormatSummary() const;
    QString deviceTypeName() const;
    ConfigurationLockController& configurationLock() { return *configurationLock_; }

    // The camera's UVC controller on a thread of its own, made on first use from the capture
    // device's unique ID; absent when the camera has no capture device. It opens on its thread:
    // `hasUVCController` turns true once it has. The answer, open or not, stays for the life of
    // the camera: opening is never retried.
    std::shared_ptr<UVCSession> uvcController();
    bool hasUVCController() const { return hasUVCController_; }

    // The configuration commands. Each runs under the device's configuration lock, or under the
    // lock controller's when it holds one; the change comes back through observation.
    std::optional<ConfigurationError> setActiveFormat(const CaptureFormat& format);
    std::optional<ConfigurationError> setFrameDuration(const MediaTime& duration);
    std::optional<ConfigurationError> setActiveColorSpace(int colorSpace);
    std::optional<ConfigurationError> setExposureMode(int mode);
    std::optional<ConfigurationError> setFocusMode(int mode);
    std::optional<ConfigurationError> setWhiteBalanceMode(int mode);

signals:
    void activeFormatChanged();
    void formatsChanged();
    void activeFrameDurationsChanged();
    void activeColorSpaceChanged();
    void isConnectedChanged();
    void isSuspendedChanged();
    void effectsChanged();
    void exposureModeChanged();
    void focusModeChanged();
    void whiteBalanceModeChanged();
    void hasUVCControllerChanged();

private:
    CameraDevice(AppContext& context, std::shared_ptr<SXCamera> camera);

    void readAll();
    void observeCaptureDevice();
    void readActiveFormat();
    void readFrameDurations();
    void readColorSpace();
    void readFormats();
    void readConnection();
    void readEffects();
    void readExposureMode();
    void readFocusMode();
    void readWhiteBalanceMode();
    std::optional<ConfigurationError> configure(const std::function<void(CaptureDevice&)>& change);

    void assignFlag(bool& field, bool value, void (CameraDevice::*signal)(), const QString& label,
                    const QString& source);

    CaptureFormat activeFormat_;
    QList<CaptureFormat> formats_;
    MediaTime activeMinFrameDuration_;
    MediaTime activeMaxFrameDuration_;
    int activeColorSpace_ = 0;
    bool isConnected_ = false;
    bool isSuspended_ = false;
    bool isCenterStageActive_ = false;
    bool isPortraitEffectActive_ = false;
    bool isStudioLightActive_ = false;
    bool isBackgroundReplacementActive_ = false;
    bool canPerformReactionEffects_ = false;
    int exposureMode_ = 2;
    int focusMode_ = 2;
    int whiteBalanceMode_ = 2;
    QList<int> supportedExposureModes_;
    QList<int> supportedFocusModes_;
    QList<int> supportedWhiteBalanceModes_;
    QList<CameraFormatSummary> formatSummaries_;
    std::unique_ptr<ConfigurationLockController> configurationLock_;
    std::optional<std::shared_ptr<UVCSession>> uvcController_;
    bool hasUVCController_ = false;
    std::optional<std::uint64_t> cmioSubscriberID_;
};

}  // namespace tavrin
