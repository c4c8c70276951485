#pragma once

#include <QString>
#include <optional>

#include "platform/CaptureDeviceFormat.h"
#include "platform/MediaTime.h"

namespace tavrin {

// The texts a camera's events and views use for its values.
namespace CameraText {

// "1280×720 420v (NV12)"; "—" for no format.
QString format(const CaptureFormat& format);
// "30 fps" for a valid, positive frame duration; "—" otherwise.
QString frameRate(const MediaTime& frameDuration);
// Exposure 0 "Locked", 1 "Auto", 2 "Continuous", 3 "Custom"; otherwise the number.
QString exposureMode(int mode);
// Focus and white balance: 0 "Locked", 1 "Auto", 2 "Continuous"; otherwise the number.
QString focusMode(int mode);
QString whiteBalanceMode(int mode);
// 0 "sRGB", 1 "P3 D65", 2 "HLG BT.2020", 3 "Apple Log"; otherwise the number.
QString colorSpace(int colorSpace);
// The common name of a pixel format, by its four-character text ("420v" is "NV12").
std::optional<QString> pixelFormatName(const QString& fourCharacterText);
// "External", "Desk View", ...; an unknown type without its common prefix.
QString deviceType(const QString& deviceType);

}  // namespace CameraText

}  // namespace tavrin
