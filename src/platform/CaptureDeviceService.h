#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "platform/CaptureDevice.h"
#include "runtime/Subscription.h"

namespace tavrin {

// Who may switch Center Stage: the user alone, applications alone, or both.
enum class CenterStageControlMode { user = 0, app = 1, cooperative = 2 };

// The system-wide video effect settings the user switches in the system's menu.
struct VideoEffectSettings {
    bool isCenterStageEnabled = false;
    CenterStageControlMode centerStageControlMode = CenterStageControlMode::user;
    bool isPortraitEffectEnabled = false;
    bool isStudioLightEnabled = false;
    bool isBackgroundReplacementEnabled = false;
    bool reactionEffectsEnabled = false;
    bool reactionEffectGesturesEnabled = false;

    friend bool operator==(const VideoEffectSettings&, const VideoEffectSettings&) = default;
};

// Key paths of the class-wide settings.
namespace VideoEffectKeyPath {
inline const QString centerStageEnabled = QStringLiteral("centerStageEnabled");
inline const QString centerStageControlMode = QStringLiteral("centerStageControlMode");
inline const QString portraitEffectEnabled = QStringLiteral("portraitEffectEnabled");
inline const QString studioLightEnabled = QStringLiteral("studioLightEnabled");
inline const QString reactionEffectsEnabled = QStringLiteral("reactionEffectsEnabled");
inline const QString reactionEffectGesturesEnabled =
    QStringLiteral("reactionEffectGesturesEnabled");
inline const QString backgroundReplacementEnabled = QStringLiteral("backgroundReplacementEnabled");
}  // namespace VideoEffectKeyPath

// Class-wide key paths of the preferred cameras, observed like the video effect settings.
namespace PreferredCameraKeyPath {
inline const QString user = QStringLiteral("userPreferredCamera");
inline const QString system = QStringLiteral("systemPreferredCamera");
}  // namespace PreferredCameraKeyPath

// The OS capture service: device lookup and the class-wide settings.
class CaptureDeviceService {
public:
    virtual ~CaptureDeviceService() = default;

    // The capture device with this unique ID; absent when there is none.
    virtual std::shared_ptr<CaptureDevice> deviceWithUniqueID(const QString& uniqueID) = 0;

    // Whether this system has background replacement at all (a newer OS release does).
    virtual bool supportsBackgroundReplacement() const = 0;
    virtual VideoEffectSettings videoEffectSettings() const = 0;
    // Like a device's observation: later changes only, off the main thread.
    [[nodiscard]] virtual Subscription observeVideoEffect(const QString& keyPath,
                                                          std::function<void()> onChange) = 0;

    // Whether the system has preferred cameras at all; where it has none, there is nothing to set.
    virtual bool supportsPreferredCameras() const { return true; }
    // The unique IDs of the camera the user and the system prefer, when there is one.
    virtual std::optional<QString> userPreferredCamera() const = 0;
    virtual std::optional<QString> systemPreferredCamera() const = 0;

    // The class-wide setters. The system may refuse or adjust a value; observers of the key path
    // are told of what it keeps.
    virtual void setCenterStageControlMode(CenterStageControlMode mode) = 0;
    virtual void setCenterStageEnabled(bool enabled) = 0;
    virtual void setUserPreferredCamera(const QString& uniqueID) = 0;
};

}  // namespace tavrin
