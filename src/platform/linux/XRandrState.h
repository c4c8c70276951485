#pragma once

#include <QList>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <optional>

#include "platform/DisplayServices.h"
#include "platform/SXDisplay.h"

namespace tavrin {

// One output of the X server as the display seams see it: already mapped, so the main thread
// only copies values.
struct XRandrOutputState {
    DisplayID id = 0;
    QString connectorName;
    // From the EDID, when it has them.
    std::optional<QString> monitorName;
    std::optional<QString> colorSpaceName;
    bool isConnected = false;
    std::uint32_t crtc = 0;  // 0: drives none
    QRectF frame;
    std::optional<QRectF> visibleFrame;
    std::optional<DisplayMode> currentMode;
    QList<DisplayMode> modes;
    double rotation = 0;
    QSizeF physicalSize;
    bool isBuiltin = false;
    DisplayID mirrorOf = 0;

    bool drivesCrtc() const { return crtc != 0; }
    friend bool operator==(const XRandrOutputState&, const XRandrOutputState&) = default;
};

// The whole of what the backend reads from the server at once.
struct XRandrState {
    // False once the server has gone: nothing is connected any more.
    bool isServerConnected = false;
    QList<XRandrOutputState> outputs;  // in the server's order
    DisplayID primary = 0;
    QSize maximumScreenSize;
    double backingScale = 1;
    int bitsPerSample = 8;

    const XRandrOutputState* output(DisplayID id) const {
        for (const auto& output : outputs) {
            if (output.id == id) {
                return &output;
            }
        }
        return nullptr;
    }
    friend bool operator==(const XRandrState&, const XRandrState&) = default;
};

}  // namespace tavrin
