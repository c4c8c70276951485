#include "platform/linux/V4L2Enumeration.h"

#include <linux/videodev2.h>

#include <cstring>

#include "platform/linux/V4L2Mapping.h"

namespace tavrin {

bool V4L2Capabilities::isVideoCapture() const {
    return (deviceCaps & (V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_VIDEO_CAPTURE_MPLANE)) != 0 &&
           (deviceCaps & V4L2_CAP_TOUCH) == 0;
}

bool V4L2Capabilities::canStream() const {
    return (deviceCaps & V4L2_CAP_STREAMING) != 0;
}

namespace V4L2Enumeration {

QString driverString(const unsigned char* bytes, std::size_t size) {
    const auto* text = reinterpret_cast<const char*>(bytes);
    return QString::fromUtf8(text, qsizetype(::strnlen(text, size))).trimmed();
}

std::optional<V4L2Capabilities> queryCapabilities(V4L2System& system, int fd) {
    v4l2_capability caps{};
    if (system.ioctl(fd, VIDIOC_QUERYCAP, &caps) != 0) {
        return std::nullopt;
    }
    V4L2Capabilities result;
    result.driver = driverString(caps.driver, sizeof caps.driver);
    result.card = driverString(caps.card, sizeof caps.card);
    result.busInfo = driverString(caps.bus_info, sizeof caps.bus_info);
    // Old drivers have no per-node capabilities; the device's are then the node's.
    result.deviceCaps =
        (caps.capabilities & V4L2_CAP_DEVICE_CAPS) ? caps.device_caps : caps.capabilities;
    return result;
}

namespace {

QList<FrameRateRange> frameRateRanges(V4L2System& system, int fd, std::uint32_t pixelFormat,
                                      QSize size) {
    QList<FrameRateRange> ranges;
    for (std::uint32_t index = 0; index < maxEntries; ++index) {
        v4l2_frmivalenum interval{};
        interval.index = index;
        interval.pixel_format = pixelFormat;
        interval.width = std::uint32_t(size.width());
        interval.height = std::uint32_t(size.height());
        if (system.ioctl(fd, VIDIOC_ENUM_FRAMEINTERVALS, &interval) != 0) {
            break;
        }
        if (interval.type == V4L2_FRMIVAL_TYPE_DISCRETE) {
            const auto& d = interval.discrete;
            if (const auto range = V4L2Mapping::frameRateRange(d.numerator, d.denominator,
                                                               d.numerator, d.denominator);
                range && !ranges.contains(*range)) {
                ranges.append(*range);
            }
            continue;
        }
        // A continuous or stepwise span is one range, and the only answer.
        const auto& span = interval.stepwise;
        if (const auto range =
                V4L2Mapping::frameRateRange(span.min.numerator, span.min.denominator,
                                            span.max.numerator, span.max.denominator)) {
            ranges.append(*range);
        }
        break;
    }
    return ranges;
}

QList<QSize> frameSizes(V4L2System& system, int fd, std::uint32_t pixelFormat) {
    QList<QSize> sizes;
    for (std::uint32_t index = 0; index < maxEntries; ++index) {
        v4l2_frmsizeenum size{};
        size.index = index;
        size.pixel_format = pixelFormat;
        if (system.ioctl(fd, VIDIOC_ENUM_FRAMESIZES, &size) != 0) {
            break;
        }
        if (size.type == V4L2_FRMSIZE_TYPE_DISCRETE) {
            const QSize discrete(int(std::min<std::uint32_t>(size.discrete.width, 65535)),
                                 int(std::min<std::uint32_t>(size.discrete.height, 65535)));
            if (!discrete.isEmpty() && !sizes.contains(discrete)) {
                sizes.append(discrete);
            }
            continue;
        }
        const auto& span = size.stepwise;
        const auto bounded = [](std::uint32_t value) {
            return int(std::min<std::uint32_t>(value, 65535));
        };
        sizes.append(V4L2Mapping::standardSizesWithin(
            QSize(bounded(span.min_width), bounded(span.min_height)),
            QSize(bounded(span.max_width), bounded(span.max_height)),
            QSize(bounded(span.step_width), bounded(span.step_height))));
        break;
    }
    return sizes;
}

}  // namespace

QList<CaptureFormat> formats(V4L2System& system, int fd, const QList<int>& colorSpaces) {
    QList<CaptureFormat> result;
    QList<std::uint32_t> seen;
    for (std::uint32_t index = 0; index < maxFormats; ++index) {
        v4l2_fmtdesc description{};
        description.index = index;
        description.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        if (system.ioctl(fd, VIDIOC_ENUM_FMT, &description) != 0) {
            break;
        }
        if (description.pixelformat == 0 || seen.contains(description.pixelformat)) {
            continue;
        }
        seen.append(description.pixelformat);
        for (const auto& size : frameSizes(system, fd, description.pixelformat)) {
            auto format = std::make_shared<CaptureDeviceFormat>();
            format->mediaSubtype = V4L2Mapping::fourCharCode(description.pixelformat);
            format->width = size.width();
            format->height = size.height();
            format->frameRateRanges = frameRateRanges(system, fd, description.pixelformat, size);
            format->supportedColorSpaces = colorSpaces;
            result.append(format);
        }
    }
    return result;
}

std::optional<V4L2ActiveFormat> activeFormat(V4L2System& system, int fd) {
    v4l2_format format{};
    format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (system.ioctl(fd, VIDIOC_G_FMT, &format) != 0) {
        return std::nullopt;
    }
    V4L2ActiveFormat active;
    active.pixelFormat = format.fmt.pix.pixelformat;
    active.width = format.fmt.pix.width;
    active.height = format.fmt.pix.height;
    active.colorspace = format.fmt.pix.colorspace;
    v4l2_streamparm parameters{};
    parameters.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (system.ioctl(fd, VIDIOC_G_PARM, &parameters) == 0) {
        const auto& interval = parameters.parm.capture.timeperframe;
        if (const auto range =
                V4L2Mapping::frameRateRange(interval.numerator, interval.denominator,
                                            interval.numerator, interval.denominator)) {
            active.frameDuration = range->minFrameDuration;
        }
    }
    return active;
}

namespace {

std::optional<std::int32_t> controlValue(V4L2System& system, int fd, std::uint32_t id) {
    v4l2_control control{};
    control.id = id;
    if (system.ioctl(fd, VIDIOC_G_CTRL, &control) != 0) {
        return std::nullopt;
    }
    return control.value;
}

std::optional<bool> switchValue(V4L2System& system, int fd, std::uint32_t id) {
    const auto value = controlValue(system, fd, id);
    return value ? std::optional<bool>(*value != 0) : std::nullopt;
}

QList<std::int32_t> menuValues(V4L2System& system, int fd, std::uint32_t id) {
    v4l2_queryctrl query{};
    query.id = id;
    if (system.ioctl(fd, VIDIOC_QUERYCTRL, &query) != 0 || query.type != V4L2_CTRL_TYPE_MENU ||
        query.maximum < query.minimum) {
        return {};
    }
    QList<std::int32_t> values;
    // In 64 bits: a driver's bounds near the top of the range must not wrap the walk.
    const std::int64_t last =
        std::min<std::int64_t>(query.maximum, std::int64_t(query.minimum) + maxEntries - 1);
    for (std::int64_t value = query.minimum; value <= last; ++value) {
        v4l2_querymenu item{};
        item.id = id;
        item.index = std::uint32_t(value);
        if (system.ioctl(fd, VIDIOC_QUERYMENU, &item) == 0) {
            values.append(std::int32_t(value));
        }
    }
    return values;
}

}  // namespace

V4L2Controls controls(V4L2System& system, int fd) {
    V4L2Controls result;
    result.exposureAuto = controlValue(system, fd, V4L2_CID_EXPOSURE_AUTO);
    if (result.exposureAuto) {
        result.exposureAutoOffered = menuValues(system, fd, V4L2_CID_EXPOSURE_AUTO);
    }
    result.focusAuto = switchValue(system, fd, V4L2_CID_FOCUS_AUTO);
    result.whiteBalanceAuto = switchValue(system, fd, V4L2_CID_AUTO_WHITE_BALANCE);
    result.privacy = switchValue(system, fd, V4L2_CID_PRIVACY);
    return result;
}

CaptureFormat matchingFormat(const QList<CaptureFormat>& formats, const V4L2ActiveFormat& active) {
    const auto subtype = V4L2Mapping::fourCharCode(active.pixelFormat);
    for (const auto& format : formats) {
        if (format->mediaSubtype == subtype && format->width == std::int32_t(active.width) &&
            format->height == std::int32_t(active.height)) {
            return format;
        }
    }
    return nullptr;
}

}  // namespace V4L2Enumeration

}  // namespace tavrin
