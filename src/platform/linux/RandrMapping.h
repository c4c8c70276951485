#pragma once

#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QRectF>
#include <QString>
#include <cstdint>
#include <optional>

#include "platform/SXDisplay.h"

namespace tavrin {

// How XRandR's values become the display seams' values. Pure functions: the backend reads the
// server, these decide what it means.
namespace randr {

// A mode's timings as the server lists them.
struct ModeTimings {
    double dotClock = 0;  // Hz
    std::uint32_t hTotal = 0;
    std::uint32_t vTotal = 0;
    std::uint64_t flags = 0;  // RR_Interlace, RR_DoubleScan
};

// Dot clock ÷ (htotal × vtotal), the vertical total doubled for a double-scanned mode and
// halved for an interlaced one; absent when a total or the clock is zero.
std::optional<double> refreshRate(const ModeTimings& mode);

// An output that drives a CRTC, with the CRTC's rectangle in the screen's coordinates.
struct ActiveOutput {
    DisplayID output = 0;
    std::uint32_t crtc = 0;
    QRectF frame;
};

// Which display each output mirrors: outputs on the same CRTC, or on CRTCs with the identical
// rectangle, form one group whose lowest output ID is the primary. The primary and outputs
// showing a picture of their own are not in the result.
QHash<DisplayID, DisplayID> mirrorTargets(const QList<ActiveOutput>& outputs);

// The rotation part of a CRTC's rotation bits, in degrees counterclockwise.
double rotationDegrees(std::uint16_t rotation);

// Connectors of panels built into the machine: embedded DisplayPort, LVDS and DSI.
bool isBuiltinConnector(const QString& connector);

// The desktop's scale from the resource database's "Xft.dpi" against 96 dots per inch; 1 when
// it is unset or not a positive number.
double backingScale(QByteArrayView resources);

// The work area of the current desktop from _NET_WORKAREA's four values per desktop, within a
// display's frame; absent when the property has no entry for that desktop or the two don't meet.
std::optional<QRectF> visibleFrame(const QList<long>& workAreas, long currentDesktop,
                                   const QRectF& frame);

}  // namespace randr
}  // namespace tavrin
