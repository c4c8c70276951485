#pragma once

#include <QString>
#include <QUuid>

#include "platform/CaptureDeviceFormat.h"

namespace tavrin {

// One format of a camera as the formats table shows it.
struct CameraFormatSummary {
    QUuid id;
    int width = 0;
    int height = 0;
    double minFPS = 0;  // 0 when the format has no frame-rate ranges
    double maxFPS = 0;
    QString pixelFormat;  // the media subtype's four-character text

    static CameraFormatSummary make(const CaptureDeviceFormat& format);

    friend bool operator==(const CameraFormatSummary&, const CameraFormatSummary&) = default;
};

}  // namespace tavrin
