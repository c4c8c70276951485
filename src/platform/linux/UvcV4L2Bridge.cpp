#include "platform/linux/UvcV4L2Bridge.h"

#include <linux/uvcvideo.h>
#include <linux/videodev2.h>

#include <algorithm>
#include <cerrno>
#include <limits>

#include "platform/UsbVideoClass.h"

namespace tavrin {

using namespace UsbVideoClass;

namespace {

// The widest value a camera terminal or processing unit control has.
constexpr std::uint16_t maxControlLength = 4;

}  // namespace

UvcV4L2Bridge::UvcV4L2Bridge(std::shared_ptr<V4L2System> system, int fd, QString nodePath,
                             std::uint8_t interfaceNumber, VideoControlUnits units,
                             bool onOwnHandle, OwnHandle ownHandle)
    : node_(std::move(system), fd, std::move(nodePath)),
      interfaceNumber_(interfaceNumber),
      units_(std::move(units)),
      onOwnHandle_(onOwnHandle),
      ownHandle_(std::move(ownHandle)) {}

bool UvcV4L2Bridge::adoptOwnHandle() {
    if (onOwnHandle_ || !ownHandle_) {
        return false;
    }
    const int fd = ownHandle_();
    if (fd < 0) {
        return false;
    }
    node_.adopt(fd);
    onOwnHandle_ = true;
    return true;
}

void UvcV4L2Bridge::close() {
    std::lock_guard lock(mutex_);
    node_.close();
}

IOReturn UvcV4L2Bridge::controlRequest(UsbDeviceRequest& request) {
    std::lock_guard lock(mutex_);
    request.completedLength = 0;
    if (const auto state = node_.state(); state != IOReturnCode::success) {
        return state;
    }
    const auto unit = std::uint8_t(request.wIndex >> 8);
    const auto selector = std::uint8_t(request.wValue >> 8);
    const auto expectedType = request.bRequest == setCur ? requestTypeSet : requestTypeGet;
    if (std::uint8_t(request.wIndex) != interfaceNumber_ || request.bmRequestType != expectedType ||
        (request.wLength > 0 && !request.data)) {
        return IOReturnCode::pipeStalled;
    }
    if (units_.extensionUnits.contains(unit)) {
        return extensionUnitRequest(unit, selector, request);
    }
    const UvcV4L2Control* control = nullptr;
    if (units_.cameraTerminals.contains(unit)) {
        control = UvcV4L2Mapping::find(UvcEntity::cameraTerminal, selector);
    } else if (units_.processingUnits.contains(unit)) {
        control = UvcV4L2Mapping::find(UvcEntity::processingUnit, selector);
    }
    if (!control || request.wLength < 1 || request.wLength > maxControlLength) {
        return IOReturnCode::pipeStalled;
    }
    return mappedRequest(*control, request);
}

IOReturn UvcV4L2Bridge::answer(const UvcV4L2Control& control, std::int64_t value,
                               UsbDeviceRequest& request) {
    if (!UvcV4L2Mapping::fits(value, request.wLength, control.kind == UvcValueKind::signedNumber)) {
        // Sent truncated it would read back as another value; the caller would trust it.
        node_.report(QStringLiteral("%1: value %2 does not fit %3 byte(s); not answered")
                         .arg(QString::fromLatin1(control.name))
                         .arg(value)
                         .arg(request.wLength));
        return IOReturnCode::error;
    }
    UvcV4L2Mapping::encode(value, request.data, request.wLength);
    request.completedLength = request.wLength;
    return IOReturnCode::success;
}

IOReturn UvcV4L2Bridge::mappedRequest(const UvcV4L2Control& control, UsbDeviceRequest& request) {
    const QString name = QString::fromLatin1(control.name);
    const bool isExposureMode = control.kind == UvcValueKind::exposureModeBitmap;
    if (request.bRequest == getCur) {
        v4l2_control current{control.v4l2ID, 0};
        if (const int result = node_.ioctl(VIDIOC_G_CTRL, &current); result != 0) {
            return node_.failed(QStringLiteral("VIDIOC_G_CTRL(%1)").arg(name), result);
        }
        if (isExposureMode) {
            const auto bitmap = UvcV4L2Mapping::exposureBitmap(current.value);
            return bitmap ? answer(control, *bitmap, request) : IOReturnCode::pipeStalled;
        }
        return answer(control, current.value, request);
    }
    if (request.bRequest == setCur) {
        const auto value = UvcV4L2Mapping::decode(request.data, request.wLength,
                                                  control.kind == UvcValueKind::signedNumber);
        v4l2_control wanted{control.v4l2ID, 0};
        if (isExposureMode) {
            const auto item = UvcV4L2Mapping::exposureMenuItem(value);
            if (!item) {
                return IOReturnCode::pipeStalled;  // a bitmap the standard doesn't define
            }
            wanted.value = *item;
        } else if (value < std::numeric_limits<std::int32_t>::min() ||
                   value > std::numeric_limits<std::int32_t>::max()) {
            node_.report(QStringLiteral("%1: value %2 does not fit a V4L2 control; not sent")
                             .arg(name)
                             .arg(value));
            return IOReturnCode::error;
        } else {
            wanted.value = std::int32_t(value);
        }
        int result = node_.ioctl(VIDIOC_S_CTRL, &wanted);
        if (result == -EBUSY && adoptOwnHandle()) {
            result = node_.ioctl(VIDIOC_S_CTRL, &wanted);
        }
        if (result != 0) {
            return node_.failed(QStringLiteral("VIDIOC_S_CTRL(%1)").arg(name), result);
        }
        request.completedLength = request.wLength;
        return IOReturnCode::success;
    }

    v4l2_queryctrl query{};
    query.id = control.v4l2ID;
    if (const int result = node_.ioctl(VIDIOC_QUERYCTRL, &query); result != 0) {
        return node_.failed(QStringLiteral("VIDIOC_QUERYCTRL(%1)").arg(name), result);
    }
    if (query.flags & V4L2_CTRL_FLAG_DISABLED) {
        return IOReturnCode::pipeStalled;
    }
    switch (request.bRequest) {
        case getInfo:
            return answer(control, UvcV4L2Mapping::infoByte(query.flags), request);
        case getMin:
        case getMax:
            // The standard gives the mode only CUR, RES, DEF and INFO; a device stalls the rest.
            if (isExposureMode) {
                return IOReturnCode::pipeStalled;
            }
            return answer(control, request.bRequest == getMin ? query.minimum : query.maximum,
                          request);
        case getDef:
            if (isExposureMode) {
                const auto bitmap = UvcV4L2Mapping::exposureBitmap(query.default_value);
                return bitmap ? answer(control, *bitmap, request) : IOReturnCode::pipeStalled;
            }
            return answer(control, query.default_value, request);
        case getRes: {
            if (!isExposureMode) {
                return answer(control, query.step, request);
            }
            // The modes the device offers: those the driver's menu accepts.
            std::int64_t modes = 0;
            // Only the four menu items the standard has can be modes; a lying range costs no more.
            const auto first = std::max<std::int32_t>(query.minimum, 0);
            const auto last = std::min<std::int32_t>(query.maximum, 3);
            for (auto item = first; item <= last; ++item) {
                v4l2_querymenu menu{};
                menu.id = control.v4l2ID;
                menu.index = std::uint32_t(item);
                const int result = node_.ioctl(VIDIOC_QUERYMENU, &menu);
                if (result == -ENODEV) {
                    return node_.failed(QStringLiteral("VIDIOC_QUERYMENU(%1)").arg(name), result);
                }
                if (result == 0) {
                    modes |= UvcV4L2Mapping::exposureBitmap(item).value_or(0);
                }
            }
            return answer(control, modes, request);
        }
        default:
            return IOReturnCode::pipeStalled;
    }
}

IOReturn UvcV4L2Bridge::extensionUnitRequest(std::uint8_t unit, std::uint8_t selector,
                                             UsbDeviceRequest& request) {
    uvc_xu_control_query query{};
    query.unit = unit;
    query.selector = selector;
    query.query = request.bRequest;
    query.size = request.wLength;
    query.data = request.data;
    if (const int result = node_.ioctl(UVCIOC_CTRL_QUERY, &query); result != 0) {
        return node_.failed(
            QStringLiteral("UVCIOC_CTRL_QUERY(unit %1, selector %2)").arg(unit).arg(selector),
            result);
    }
    request.completedLength = request.wLength;
    return IOReturnCode::success;
}

}  // namespace tavrin
