#pragma once

#include <QString>
#include <cstdint>

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

// One capture device (camera or audio input) of the OS capture service. Its reads may be made from
// any thread.
class CaptureDevice {
public:
    virtual ~CaptureDevice() = default;

    virtual QString uniqueID() const = 0;
    virtual QString deviceType() const = 0;
    // A transport four-character code, signed as the capture service delivers it.
    virtual std::int32_t transportType() const = 0;
};

}  // namespace tavrin
