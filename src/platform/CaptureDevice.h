#pragma once

#include <QList>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

#include "platform/CaptureDeviceFormat.h"
#include "platform/MediaTime.h"
#include "runtime/Subscription.h"

namespace tavrin {

// Device type strings of capture devices.
namespace CaptureDeviceType {
inline const QString builtInWideAngleCamera =
    QStringLiteral("AVCaptureDeviceTypeBuiltInWideAngleCamera");
inline const QString continuityCamera = QStringLiteral("AVCaptureDeviceTypeContinuityCamera");
inline const QString deskViewCamera = QStringLiteral("AVCaptureDeviceTypeDeskViewCamera");
inline const QString external = QStringLiteral("AVCaptureDeviceTypeExternal");
inline const QString microphone = QStringLiteral("AVCaptureDeviceTypeMicrophone");
}  // namespace CaptureDeviceType

// Key paths a capture device can be observed on.
namespace CaptureKeyPath {
inline const QString activeFormat = QStringLiteral("activeFormat");
inline const QString activeVideoMinFrameDuration = QStringLiteral("activeVideoMinFrameDuration");
inline const QString activeVideoMaxFrameDuration = QStringLiteral("activeVideoMaxFrameDuration");
inline const QString activeColorSpace = QStringLiteral("activeColorSpace");
inline const QString formats = QStringLiteral("formats");
inline const QString connected = QStringLiteral("connected");
inline const QString suspended = QStringLiteral("suspended");
inline const QString inUseByAnotherApplication = QStringLiteral("inUseByAnotherApplication");
inline const QString centerStageActive = QStringLiteral("centerStageActive");
inline const QString portraitEffectActive = QStringLiteral("portraitEffectActive");
inline const QString studioLightActive = QStringLiteral("studioLightActive");
inline const QString backgroundReplacementActive = QStringLiteral("backgroundReplacementActive");
inline const QString canPerformReactionEffects = QStringLiteral("canPerformReactionEffects");
inline const QString exposureMode = QStringLiteral("exposureMode");
inline const QString focusMode = QStringLiteral("focusMode");
inline const QString whiteBalanceMode = QStringLiteral("whiteBalanceMode");
inline const QString activeInputSource = QStringLiteral("activeInputSource");
}  // namespace CaptureKeyPath

// One of an audio device's input sources (line in, internal microphone, ...).
struct CaptureInputSource {
    QString inputSourceID;
    QString localizedName;

    friend bool operator==(const CaptureInputSource&, const CaptureInputSource&) = default;
};

// A process that has a capture device open.
struct CaptureDeviceOpener {
    std::int32_t pid = 0;
    QString name;

    friend bool operator==(const CaptureDeviceOpener&, const CaptureDeviceOpener&) = default;
};

// What the capture service reports when a configuration lock can't be taken.
struct CaptureError {
    int code = 0;
    QString localizedDescription;
};

// One capture device (camera or audio input) of the OS capture service. Reads may be made from
// any thread; setters need the configuration lock where the service has one.
// Which way a camera faces, where the capture service knows.
enum class CameraPosition { unspecified = 0, back = 1, front = 2 };

class CaptureDevice {
public:
    virtual ~CaptureDevice() = default;

    virtual QString uniqueID() const = 0;
    virtual QString deviceType() const = 0;
    // A transport four-character code, signed as the capture service delivers it.
    virtual std::int32_t transportType() const = 0;
    virtual CameraPosition position() const = 0;

    virtual QList<CaptureFormat> formats() const = 0;
    virtual CaptureFormat activeFormat() const = 0;
    virtual MediaTime activeVideoMinFrameDuration() const = 0;
    virtual MediaTime activeVideoMaxFrameDuration() const = 0;
    virtual int activeColorSpace() const = 0;

    virtual bool isConnected() const = 0;
    virtual bool isSuspended() const = 0;
    virtual bool isInUseByAnotherApplication() const = 0;

    virtual bool isCenterStageActive() const = 0;
    virtual bool isPortraitEffectActive() const = 0;
    virtual bool isStudioLightActive() const = 0;
    virtual bool isBackgroundReplacementActive() const = 0;
    virtual bool canPerformReactionEffects() const = 0;

    virtual int exposureMode() const = 0;
    virtual int focusMode() const = 0;
    virtual int whiteBalanceMode() const = 0;
    virtual bool isExposureModeSupported(int mode) const = 0;
    virtual bool isFocusModeSupported(int mode) const = 0;
    virtual bool isWhiteBalanceModeSupported(int mode) const = 0;

    virtual QList<CaptureInputSource> inputSources() const = 0;
    virtual std::optional<CaptureInputSource> activeInputSource() const = 0;

    // The other processes that have the device open, as far as the OS lets us see; empty where
    // the OS doesn't tell.
    virtual QList<CaptureDeviceOpener> openedBy() const { return {}; }

    // Whether the setters need the configuration lock. Some OS services (a sound server) have
    // none: their setters act directly and `lockForConfiguration` always fails.
    virtual bool hasConfigurationLock() const = 0;
    // Absent on success; the error when another holder has it or the device refuses.
    virtual std::optional<CaptureError> lockForConfiguration() = 0;
    virtual void unlockForConfiguration() = 0;

    virtual void setActiveFormat(const CaptureFormat& format) = 0;
    virtual void setActiveVideoMinFrameDuration(const MediaTime& duration) = 0;
    virtual void setActiveVideoMaxFrameDuration(const MediaTime& duration) = 0;
    virtual void setActiveColorSpace(int colorSpace) = 0;
    virtual void setExposureMode(int mode) = 0;
    virtual void setFocusMode(int mode) = 0;
    virtual void setWhiteBalanceMode(int mode) = 0;
    virtual void setActiveInputSource(const CaptureInputSource& source) = 0;

    // Tells `onChange` of every later change of the key path, without an initial call and
    // without old or new values. Called on a thread other than the main thread.
    [[nodiscard]] virtual Subscription observe(const QString& keyPath,
                                               std::function<void()> onChange) = 0;
};

}  // namespace tavrin
