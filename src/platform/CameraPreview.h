#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <functional>
#include <optional>

namespace tavrin {

// One picture of a camera's live stream, already converted for drawing.
struct PreviewFrame {
    enum class Layout {
        xrgb32,  // 0xffRRGGBB per pixel, native endian
        rgb24,   // R, G, B bytes per pixel
    };

    QSize size;
    qsizetype bytesPerLine = 0;
    Layout layout = Layout::xrgb32;
    QByteArray pixels;
    // Counts the frames the source produced, dropped ones included.
    quint64 sequence = 0;

    // A frame whose pixels cover its size and stride; anything else must not be drawn.
    bool isDrawable() const;
};

// What a preview asks of the camera. How the picture is fitted and mirrored is the view's job.
struct CameraPreviewRequest {
    QString cameraID;
    std::optional<QSize> maxVideoDimensions;
    bool preserveActiveCameraConfiguration = false;
    bool promptForAuthorization = false;
};

// Called on the main thread with the newest frame. A frame that arrives while an earlier one is
// still waiting for the main thread replaces it.
using PreviewFrameHandler = std::function<void(const PreviewFrame& frame)>;
// Called on the main thread when the stream could not start or ended on its own, with a text
// for the user ("device busy: another process is streaming").
using PreviewFailureHandler = std::function<void(const QString& reason)>;

}  // namespace tavrin
