#pragma once

#include <QList>
#include <QSize>
#include <QString>
#include <cstdint>
#include <optional>

#include "platform/CaptureDeviceFormat.h"
#include "runtime/FourCharCode.h"

namespace tavrin {

// Pure translations between what a V4L2 driver reports and what the capture seams speak.
namespace V4L2Mapping {

// A V4L2 pixel format keeps its first character in the lowest byte; a four-character code keeps
// it in the highest. 'YUYV' reads "YUYV" either way.
FourCharCode fourCharCode(std::uint32_t pixelFormat);
std::uint32_t pixelFormat(FourCharCode code);

// The common frame sizes, smallest first, that a stepwise or continuous size range offers:
// within [min, max] and on the step grid from the minimum. A range that holds none of them
// offers its maximum. A range with a zero or inverted bound offers nothing.
QList<QSize> standardSizesWithin(QSize minimum, QSize maximum, QSize step);

// A frame-rate range from a span of frame intervals (seconds per frame, as fractions). A
// discrete interval is a span of one. Absent when a fraction has a zero term.
std::optional<FrameRateRange> frameRateRange(std::uint32_t minNumerator,
                                             std::uint32_t minDenominator,
                                             std::uint32_t maxNumerator,
                                             std::uint32_t maxDenominator);

// The V4L2 colorspace's name ("sRGB", "Rec. 709", "BT.2020", ...; "colorspace N" otherwise).
QString colorspaceName(std::uint32_t colorspace);
// The capture colour space it is shown as: 0 sRGB, 1 P3 D65, 2 HLG BT.2020. Rec. 709, JPEG,
// the SMPTE and the unspecified colorspaces share sRGB's primaries, so they read as sRGB.
int captureColorSpace(std::uint32_t colorspace);

// Modes. Exposure: 0 locked, 1 auto (once), 2 continuous, 3 custom. Focus and white balance:
// 0 locked, 1 auto (once), 2 continuous.
// V4L2_CID_EXPOSURE_AUTO: auto and aperture priority keep exposure adjusting (continuous);
// manual holds the exposure the user set (locked); shutter priority fixes the exposure time the
// user set and adjusts the rest (custom).
int exposureMode(std::int32_t exposureAuto);
// The V4L2_CID_EXPOSURE_AUTO value that gives `mode`, from the values the menu offers;
// continuous prefers full auto over aperture priority. Absent when none gives it.
std::optional<std::int32_t> exposureAutoValue(int mode, const QList<std::int32_t>& offered);
// V4L2_CID_FOCUS_AUTO and V4L2_CID_AUTO_WHITE_BALANCE: on is continuous, off is locked.
int autoSwitchMode(bool on);
// The switch position for a mode; absent for a mode the switch can't give (auto once).
std::optional<bool> autoSwitchValue(int mode);

// The USB location ID: the bus in the top byte, then one nibble per port of the port path
// ("1.4.2"), the first port highest. Absent when it can't be packed: a bus above 255, a port of
// 0 or above 15, more than six ports, or a path that isn't dotted numbers.
std::optional<std::uint32_t> usbLocationID(int bus, const QString& portPath);
// "0x" + location ID (8 hex digits) + vendor ID + product ID (4 hex digits each).
QString usbUniqueID(std::uint32_t locationID, std::uint16_t vendorID, std::uint16_t productID);
// For a USB camera whose location can't be packed: no run of eight hex digits, so the USB
// controller's location search finds nothing for it.
QString unpackedUsbUniqueID(int bus, const QString& portPath, std::uint16_t vendorID,
                            std::uint16_t productID);
// For every other camera: the driver and its bus info, which the driver keeps stable.
QString driverUniqueID(const QString& driver, const QString& busInfo);

// Drivers whose cameras exist only in software.
bool isVirtualDriver(const QString& driver);

}  // namespace V4L2Mapping

}  // namespace tavrin
