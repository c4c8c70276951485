#pragma once

#include <QList>
#include <QString>
#include <cstdint>
#include <optional>

#include "platform/CaptureDeviceFormat.h"
#include "platform/MediaTime.h"
#include "platform/linux/V4L2System.h"

namespace tavrin {

// What VIDIOC_QUERYCAP says of a node.
struct V4L2Capabilities {
    QString driver;
    QString card;
    QString busInfo;
    std::uint32_t deviceCaps = 0;

    // Video capture in the node's own capabilities; metadata and output nodes have none, and
    // touch sensors that report video capture are no cameras.
    bool isVideoCapture() const;
    bool canStream() const;
};

// The auto controls and the privacy switch of a camera, where it has them.
struct V4L2Controls {
    std::optional<std::int32_t> exposureAuto;
    QList<std::int32_t> exposureAutoOffered;
    std::optional<bool> focusAuto;
    std::optional<bool> whiteBalanceAuto;
    std::optional<bool> privacy;

    friend bool operator==(const V4L2Controls&, const V4L2Controls&) = default;
};

// What VIDIOC_G_FMT and VIDIOC_G_PARM say is active.
struct V4L2ActiveFormat {
    std::uint32_t pixelFormat = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t colorspace = 0;
    MediaTime frameDuration;
};

// Walks a node's answers. Every walk is bounded, whatever the driver answers: at most
// `maxEntries` formats, sizes per format and intervals per size; zero sizes and zero-term
// intervals give nothing; strings end at their field's end if the driver left no terminator.
namespace V4L2Enumeration {

// Test drivers list more than 80 pixel formats; no camera lists more than a few sizes.
inline constexpr int maxFormats = 256;
inline constexpr int maxEntries = 64;

// A fixed-size, possibly unterminated driver string.
QString driverString(const unsigned char* bytes, std::size_t size);

std::optional<V4L2Capabilities> queryCapabilities(V4L2System& system, int fd);
// Every pixel format × frame size, each with its frame-rate ranges and `colorSpaces`.
QList<CaptureFormat> formats(V4L2System& system, int fd, const QList<int>& colorSpaces);
std::optional<V4L2ActiveFormat> activeFormat(V4L2System& system, int fd);
V4L2Controls controls(V4L2System& system, int fd);

// The listed format the active one is, when it is listed.
CaptureFormat matchingFormat(const QList<CaptureFormat>& formats, const V4L2ActiveFormat& active);

}  // namespace V4L2Enumeration

}  // namespace tavrin
