#include "platform/fake/FakeV4L2System.h"

#include <linux/usbdevice_fs.h>
#include <linux/uvcvideo.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>

#include <fcntl.h>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/UsbVideoClass.h"
#include "platform/fake/FakeUsbBus.h"
#include "platform/linux/UvcV4L2Mapping.h"
#include "platform/linux/V4L2Mapping.h"
#include "runtime/CurrentProcess.h"

namespace tavrin {

namespace {

constexpr std::uint32_t recordPriority = V4L2_PRIORITY_RECORD;
constexpr std::uint32_t maxBuffers = 8;
constexpr off_t bufferOffsetStep = 1 << 24;

void copyString(unsigned char* field, std::size_t size, const QString& text) {
    const auto bytes = text.toUtf8();
    std::memset(field, 0, size);
    std::memcpy(field, bytes.constData(), std::min<std::size_t>(size - 1, bytes.size()));
}

std::uint32_t frameBytes(std::uint32_t width, std::uint32_t height) {
    return width * height * 2;
}

bool isControlCall(unsigned long request) {
    switch (request) {
        case VIDIOC_QUERYCTRL:
        case VIDIOC_QUERYMENU:
        case VIDIOC_G_CTRL:
        case VIDIOC_S_CTRL:
        case UVCIOC_CTRL_QUERY:
        case USBDEVFS_CONTROL:
            return true;
        default:
            return false;
    }
}

}  // namespace

struct FakeV4L2System::Node {
    FakeV4L2NodeSpec spec;
    bool present = true;
    int queueOwner = -1;
    bool streaming = false;
    std::vector<std::vector<unsigned char>> buffers;
    std::vector<int> queued;  // buffer indexes in the order they were queued
    std::uint32_t sequence = 0;
    std::chrono::steady_clock::time_point nextFrame;
    int formatChanges = 0;

    std::chrono::nanoseconds frameInterval() const {
        const auto [numerator, denominator] = spec.interval;
        if (denominator == 0) {
            return std::chrono::milliseconds(33);
        }
        return std::chrono::nanoseconds(std::int64_t(numerator) * 1000000000 / denominator);
    }
    const FakeV4L2Format* format(std::uint32_t pixelFormat) const {
        for (const auto& format : spec.formats) {
            if (format.pixelFormat == pixelFormat) {
                return &format;
            }
        }
        return nullptr;
    }
    bool offersSize(const FakeV4L2Format& format, std::uint32_t width, std::uint32_t height) const {
        return std::any_of(format.sizes.begin(), format.sizes.end(), [&](const auto& size) {
            if (!size.stepwiseMaxAndStep) {
                return size.width == width && size.height == height;
            }
            const auto& [maxWidth, maxHeight, stepWidth, stepHeight] = *size.stepwiseMaxAndStep;
            return width >= size.width && width <= maxWidth && height >= size.height &&
                   height <= maxHeight &&
                   (stepWidth == 0 || (width - size.width) % stepWidth == 0) &&
                   (stepHeight == 0 || (height - size.height) % stepHeight == 0);
        });
    }
};

std::uint32_t FakeV4L2Control::effectiveType() const {
    if (type != 0) {
        return type;
    }
    return menu.isEmpty() ? V4L2_CTRL_TYPE_BOOLEAN : V4L2_CTRL_TYPE_MENU;
}

FakeV4L2System::FakeV4L2System(QList<FakeV4L2NodeSpec> nodes)
    : bus_(std::make_unique<FakeUsbBus>(nodes)) {
    for (auto& spec : nodes) {
        auto node = std::make_shared<Node>();
        node->spec = std::move(spec);
        nodes_.append(node);
    }
    // Without its driver a USB camera has no video nodes.
    for (const auto& node : std::as_const(nodes_)) {
        if (node->spec.uvc && !node->spec.uvc->driverBound) {
            for (const auto& other : std::as_const(nodes_)) {
                other->present = other->present && !FakeUsbBus::sameDevice(other->spec, node->spec);
            }
        }
    }
}

FakeV4L2System::~FakeV4L2System() = default;

void FakeV4L2System::touch() {
    ++activityCount_;
    activity_.notify_all();
}

int FakeV4L2System::open(const QString& path, int flags) {
    Q_UNUSED(flags);
    const auto process = currentProcessID();
    return openAs(path, process, QStringLiteral("tavrin"));
}

int FakeV4L2System::openAs(const QString& path, std::int32_t pid, const QString& name) {
    std::lock_guard lock(mutex_);
    if (FakeUsbBus::ownsPath(path)) {
        return bus_->open(path, nextFD_++);
    }
    for (const auto& node : nodes_) {
        if (node->present && QStringLiteral("/dev/") + node->spec.name == path) {
            if (node->spec.permissionDenied) {
                return -EACCES;
            }
            const int fd = nextFD_++;
            handles_.emplace(fd, Handle{node, pid, name});
            touch();
            return fd;
        }
    }
    return -ENOENT;
}

void FakeV4L2System::releaseQueue(Node& node) {
    node.queueOwner = -1;
    node.streaming = false;
    node.buffers.clear();
    node.queued.clear();
}

int FakeV4L2System::close(int fd) {
    std::lock_guard lock(mutex_);
    if (bus_->ownsHandle(fd)) {
        return bus_->close(fd);
    }
    const auto found = handles_.find(fd);
    if (found == handles_.end()) {
        return -EBADF;
    }
    auto& node = *found->second.node;
    if (node.queueOwner == fd) {
        releaseQueue(node);
    }
    handles_.erase(found);
    touch();
    return 0;
}

int FakeV4L2System::duplicate(int fd) {
    std::lock_guard lock(mutex_);
    const auto found = handles_.find(fd);
    if (found == handles_.end()) {
        return -EBADF;
    }
    const int copy = nextFD_++;
    handles_.emplace(copy, found->second);
    touch();
    return copy;
}

bool FakeV4L2System::priorityAllows(const Node& node, int fd) const {
    std::uint32_t highest = 0;
    for (const auto& [otherFD, handle] : handles_) {
        if (handle.node.get() == &node) {
            highest = std::max(highest, *handle.priority);
        }
    }
    return *handles_.at(fd).priority >= highest;
}

int FakeV4L2System::ioctl(int fd, unsigned long request, void* argument) {
    // A slow camera holds up its caller, not the other cameras' nor the monitor's calls.
    if (const auto delay = requestDelayMs_.load(); delay > 0 && isControlCall(request)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    }
    std::unique_lock lock(mutex_);
    if (bus_->ownsHandle(fd)) {
        return bus_->ioctl(fd, request, argument);
    }
    const auto found = handles_.find(fd);
    if (found == handles_.end()) {
        return -EBADF;
    }
    if (!found->second.node->present) {
        return -ENODEV;
    }
    return dispatch(lock, fd, found->second, request, argument);
}

int FakeV4L2System::dispatch(std::unique_lock<std::mutex>& lock, int fd, Handle& handle,
                             unsigned long request, void* argument) {
    auto& node = *handle.node;
    const auto& spec = node.spec;
    const bool ownsQueue = node.queueOwner == fd;
    switch (request) {
        case VIDIOC_QUERYCAP: {
            auto& caps = *static_cast<v4l2_capability*>(argument);
            caps = {};
            copyString(caps.driver, sizeof caps.driver, spec.driver);
            copyString(caps.card, sizeof caps.card, spec.card);
            copyString(caps.bus_info, sizeof caps.bus_info, spec.busInfo);
            caps.device_caps = spec.deviceCaps;
            caps.capabilities = spec.deviceCaps | V4L2_CAP_DEVICE_CAPS;
            return 0;
        }
        case VIDIOC_ENUM_FMT: {
            auto& description = *static_cast<v4l2_fmtdesc*>(argument);
            if (description.type != V4L2_BUF_TYPE_VIDEO_CAPTURE ||
                description.index >= std::uint32_t(spec.formats.size())) {
                return -EINVAL;
            }
            const auto& format = spec.formats[description.index];
            description.pixelformat = format.pixelFormat;
            copyString(description.description, sizeof description.description, format.description);
            return 0;
        }
        case VIDIOC_ENUM_FRAMESIZES: {
            auto& size = *static_cast<v4l2_frmsizeenum*>(argument);
            const auto* format = node.format(size.pixel_format);
            if (!format || size.index >= std::uint32_t(format->sizes.size())) {
                return -EINVAL;
            }
            const auto& entry = format->sizes[size.index];
            if (entry.stepwiseMaxAndStep) {
                if (size.index != 0) {
                    return -EINVAL;
                }
                const auto& [maxWidth, maxHeight, stepWidth, stepHeight] =
                    *entry.stepwiseMaxAndStep;
                size.type = V4L2_FRMSIZE_TYPE_STEPWISE;
                size.stepwise = {entry.width,  maxWidth,  stepWidth,
                                 entry.height, maxHeight, stepHeight};
            } else {
                size.type = V4L2_FRMSIZE_TYPE_DISCRETE;
                size.discrete = {entry.width, entry.height};
            }
            return 0;
        }
        case VIDIOC_ENUM_FRAMEINTERVALS: {
            auto& interval = *static_cast<v4l2_frmivalenum*>(argument);
            const auto* format = node.format(interval.pixel_format);
            if (!format) {
                return -EINVAL;
            }
            for (const auto& entry : format->sizes) {
                const bool matches =
                    entry.stepwiseMaxAndStep
                        ? node.offersSize(FakeV4L2Format{0, {}, {entry}}, interval.width,
                                          interval.height)
                        : entry.width == interval.width && entry.height == interval.height;
                if (!matches) {
                    continue;
                }
                if (entry.intervalSpan && entry.intervals.size() >= 2) {
                    if (interval.index != 0) {
                        return -EINVAL;
                    }
                    interval.type = V4L2_FRMIVAL_TYPE_CONTINUOUS;
                    interval.stepwise.min = {entry.intervals[0].first, entry.intervals[0].second};
                    interval.stepwise.max = {entry.intervals[1].first, entry.intervals[1].second};
                    interval.stepwise.step = {1, 1};
                    return 0;
                }
                if (interval.index >= std::uint32_t(entry.intervals.size())) {
                    return -EINVAL;
                }
                interval.type = V4L2_FRMIVAL_TYPE_DISCRETE;
                interval.discrete = {entry.intervals[interval.index].first,
                                     entry.intervals[interval.index].second};
                return 0;
            }
            return -EINVAL;
        }
        case VIDIOC_G_FMT:
        case VIDIOC_S_FMT:
        case VIDIOC_TRY_FMT: {
            auto& format = *static_cast<v4l2_format*>(argument);
            if (format.type != V4L2_BUF_TYPE_VIDEO_CAPTURE) {
                return -EINVAL;
            }
            if (request == VIDIOC_S_FMT) {
                if (!priorityAllows(node, fd) || (node.queueOwner >= 0)) {
                    return -EBUSY;
                }
            }
            if (request != VIDIOC_G_FMT) {
                // The driver adjusts what it can't do to what it can, as drivers do.
                auto& pix = format.fmt.pix;
                const auto* offered = node.format(pix.pixelformat);
                if (!offered || !node.offersSize(*offered, pix.width, pix.height)) {
                    pix.pixelformat = spec.pixelFormat;
                    pix.width = spec.width;
                    pix.height = spec.height;
                }
                if (request == VIDIOC_S_FMT) {
                    node.spec.pixelFormat = pix.pixelformat;
                    node.spec.width = pix.width;
                    node.spec.height = pix.height;
                    ++node.formatChanges;
                }
            }
            auto& pix = format.fmt.pix;
            pix.pixelformat = node.spec.pixelFormat;
            pix.width = node.spec.width;
            pix.height = node.spec.height;
            pix.field = V4L2_FIELD_NONE;
            pix.bytesperline = pix.width * 2;
            pix.sizeimage = frameBytes(pix.width, pix.height);
            pix.colorspace = spec.colorspace;
            return 0;
        }
        case VIDIOC_G_PARM:
        case VIDIOC_S_PARM: {
            auto& parameters = *static_cast<v4l2_streamparm*>(argument);
            if (parameters.type != V4L2_BUF_TYPE_VIDEO_CAPTURE) {
                return -EINVAL;
            }
            auto& capture = parameters.parm.capture;
            if (request == VIDIOC_S_PARM) {
                if (!priorityAllows(node, fd)) {
                    return -EBUSY;
                }
                if (capture.timeperframe.numerator != 0 && capture.timeperframe.denominator != 0) {
                    node.spec.interval = {capture.timeperframe.numerator,
                                          capture.timeperframe.denominator};
                }
            }
            capture = {};
            capture.capability = V4L2_CAP_TIMEPERFRAME;
            capture.timeperframe = {node.spec.interval.first, node.spec.interval.second};
            return 0;
        }
        case VIDIOC_G_PRIORITY:
            *static_cast<std::uint32_t*>(argument) = [&] {
                std::uint32_t highest = V4L2_PRIORITY_BACKGROUND;
                for (const auto& [otherFD, other] : handles_) {
                    if (other.node.get() == &node) {
                        highest = std::max(highest, *other.priority);
                    }
                }
                return highest;
            }();
            return 0;
        case VIDIOC_S_PRIORITY: {
            const auto priority = *static_cast<std::uint32_t*>(argument);
            if (priority > recordPriority) {
                return -EINVAL;
            }
            if (!priorityAllows(node, fd)) {
                return -EBUSY;
            }
            *handle.priority = priority;
            return 0;
        }
        case VIDIOC_QUERYCTRL: {
            auto& query = *static_cast<v4l2_queryctrl*>(argument);
            if (!spec.controls.contains(query.id)) {
                return -EINVAL;
            }
            const auto& control = spec.controls[query.id];
            query.type = control.effectiveType();
            query.minimum = control.minimum;
            query.maximum = control.maximum;
            query.step = std::max(control.step, 1);
            query.default_value = control.defaultValue.value_or(control.value);
            query.flags = control.flags;
            return 0;
        }
        case VIDIOC_QUERYMENU: {
            auto& item = *static_cast<v4l2_querymenu*>(argument);
            if (!spec.controls.contains(item.id) ||
                !spec.controls[item.id].menu.contains(std::int32_t(item.index))) {
                return -EINVAL;
            }
            copyString(item.name, sizeof item.name, QString::number(item.index));
            return 0;
        }
        case VIDIOC_G_CTRL:
        case VIDIOC_S_CTRL: {
            auto& value = *static_cast<v4l2_control*>(argument);
            if (!node.spec.controls.contains(value.id)) {
                return -EINVAL;
            }
            auto& control = node.spec.controls[value.id];
            if (request == VIDIOC_S_CTRL) {
                if (!priorityAllows(node, fd)) {
                    return -EBUSY;
                }
                if (control.flags & V4L2_CTRL_FLAG_READ_ONLY) {
                    return -EACCES;
                }
                switch (control.effectiveType()) {
                    case V4L2_CTRL_TYPE_MENU:
                        if (value.value < control.minimum || value.value > control.maximum) {
                            return -ERANGE;
                        }
                        if (!control.menu.contains(value.value)) {
                            return -EINVAL;
                        }
                        control.value = value.value;
                        break;
                    case V4L2_CTRL_TYPE_BOOLEAN:
                        control.value = value.value != 0;
                        break;
                    default:
                        control.value = std::int32_t(roundedToStep(value.value, control.minimum,
                                                                   control.maximum, control.step));
                        break;
                }
            }
            value.value = control.value;
            return 0;
        }
        case UVCIOC_CTRL_QUERY:
            return controlQuery(node, argument);
        case VIDIOC_REQBUFS: {
            auto& buffers = *static_cast<v4l2_requestbuffers*>(argument);
            if (buffers.type != V4L2_BUF_TYPE_VIDEO_CAPTURE || buffers.memory != V4L2_MEMORY_MMAP) {
                return -EINVAL;
            }
            if (!priorityAllows(node, fd) || (node.queueOwner >= 0 && !ownsQueue)) {
                return -EBUSY;
            }
            if (node.streaming) {
                return -EBUSY;  // the owner must stop streaming first
            }
            releaseQueue(node);
            if (buffers.count == 0) {
                return 0;
            }
            buffers.count = std::min(buffers.count, maxBuffers);
            const auto bytes = frameBytes(spec.width, spec.height);
            for (std::uint32_t index = 0; index < buffers.count; ++index) {
                node.buffers.emplace_back(bytes);
            }
            node.queueOwner = fd;
            return 0;
        }
        case VIDIOC_QUERYBUF:
        case VIDIOC_QBUF:
        case VIDIOC_DQBUF: {
            auto& buffer = *static_cast<v4l2_buffer*>(argument);
            if (!ownsQueue) {
                return -EBUSY;
            }
            if (request == VIDIOC_DQBUF) {
                if (!node.streaming || node.queued.empty() ||
                    std::chrono::steady_clock::now() < node.nextFrame) {
                    return -EAGAIN;
                }
                const int index = node.queued.front();
                node.queued.erase(node.queued.begin());
                auto& bytes = node.buffers[std::size_t(index)];
                // A moving diagonal gradient, so that consecutive frames differ.
                const auto width = spec.width;
                for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
                    const auto pixel = i / 2;
                    bytes[i] =
                        static_cast<unsigned char>(pixel % width + pixel / width + node.sequence);
                    bytes[i + 1] = 128;
                }
                buffer.index = std::uint32_t(index);
                buffer.bytesused = std::uint32_t(bytes.size());
                buffer.sequence = node.sequence++;
                node.nextFrame = std::chrono::steady_clock::now() + node.frameInterval();
                return 0;
            }
            if (buffer.index >= node.buffers.size()) {
                return -EINVAL;
            }
            buffer.length = std::uint32_t(node.buffers[buffer.index].size());
            buffer.m.offset = std::uint32_t(off_t(buffer.index) * bufferOffsetStep);
            if (request == VIDIOC_QBUF) {
                node.queued.push_back(int(buffer.index));
            }
            return 0;
        }
        case VIDIOC_STREAMON:
        case VIDIOC_STREAMOFF:
            if (!ownsQueue || (request == VIDIOC_STREAMON && !priorityAllows(node, fd))) {
                return -EBUSY;
            }
            node.streaming = request == VIDIOC_STREAMON;
            if (!node.streaming) {
                node.queued.clear();
            }
            node.nextFrame = std::chrono::steady_clock::now() + node.frameInterval();
            touch();
            return 0;
        default:
            Q_UNUSED(lock);
            return -ENOTTY;
    }
}

int FakeV4L2System::controlQuery(Node& node, void* argument) {
    auto& query = *static_cast<uvc_xu_control_query*>(argument);
    if (!node.spec.uvc) {
        return -ENOTTY;
    }
    for (auto& control : node.spec.uvc->extensionControls) {
        if (control.unit != query.unit || control.selector != query.selector) {
            continue;
        }
        auto write = [&](std::int64_t value) {
            if (query.size != control.size) {
                return -EINVAL;
            }
            UvcV4L2Mapping::encode(value, query.data, query.size);
            return 0;
        };
        switch (query.query) {
            case UsbVideoClass::getInfo:
                if (query.size != 1) {
                    return -EINVAL;
                }
                query.data[0] = control.info;
                return 0;
            case UsbVideoClass::getLen:
                if (query.size != 2) {
                    return -EINVAL;
                }
                UvcV4L2Mapping::encode(control.size, query.data, 2);
                return 0;
            case UsbVideoClass::getMin:
                return write(control.minimum);
            case UsbVideoClass::getMax:
                return write(control.maximum);
            case UsbVideoClass::getDef:
                return write(control.defaultValue);
            case UsbVideoClass::getRes:
                return write(1);
            case UsbVideoClass::getCur:
                return write(control.current);
            case UsbVideoClass::setCur:
                if (query.size != control.size) {
                    return -EINVAL;
                }
                if (!(control.info & 0x02)) {
                    return -EACCES;
                }
                control.current = UvcV4L2Mapping::decode(query.data, query.size, false);
                return 0;
            default:
                return -EINVAL;
        }
    }
    return -ENOENT;
}

void* FakeV4L2System::mmap(std::size_t length, int fd, off_t offset) {
    std::lock_guard lock(mutex_);
    const auto found = handles_.find(fd);
    if (found == handles_.end() || found->second.node->queueOwner != fd) {
        return nullptr;
    }
    const auto index = std::size_t(offset / bufferOffsetStep);
    auto& buffers = found->second.node->buffers;
    if (index >= buffers.size() || buffers[index].size() != length) {
        return nullptr;
    }
    return buffers[index].data();
}

int FakeV4L2System::munmap(void*, std::size_t) {
    return 0;
}

int FakeV4L2System::poll(int fd, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        std::chrono::steady_clock::time_point due;
        {
            std::lock_guard lock(mutex_);
            const auto found = handles_.find(fd);
            if (found == handles_.end()) {
                return -EBADF;
            }
            const auto& node = *found->second.node;
            if (!node.present) {
                return -ENODEV;
            }
            if (node.streaming && !node.queued.empty()) {
                if (std::chrono::steady_clock::now() >= node.nextFrame) {
                    return 1;
                }
                due = node.nextFrame;
            } else {
                due = std::chrono::steady_clock::now() + std::chrono::milliseconds(5);
            }
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return 0;
        }
        std::this_thread::sleep_until(std::min(due, deadline));
    }
}

QStringList FakeV4L2System::listDirectory(const QString& path) {
    std::lock_guard lock(mutex_);
    QStringList names;
    if (FakeUsbBus::ownsPath(path)) {
        for (const auto& node : nodes_) {
            if (node->present) {
                names.append(node->spec.name);
            }
        }
        return bus_->listDirectory(path, names);
    }
    if (path == QLatin1String("/dev")) {
        for (const auto& node : nodes_) {
            if (node->present) {
                names.append(node->spec.name);
            }
        }
        return names;
    }
    if (path == QLatin1String("/proc")) {
        for (const auto& [fd, handle] : handles_) {
            if (!names.contains(QString::number(handle.pid))) {
                names.append(QString::number(handle.pid));
            }
        }
        return names;
    }
    static const QRegularExpression fdDirectory(QStringLiteral("^/proc/(\\d+)/fd$"));
    if (const auto match = fdDirectory.match(path); match.hasMatch()) {
        const auto pid = match.captured(1).toInt();
        for (const auto& [fd, handle] : handles_) {
            if (handle.pid == pid) {
                names.append(QString::number(fd));
            }
        }
    }
    return names;
}

std::optional<QByteArray> FakeV4L2System::readFile(const QString& path) {
    std::lock_guard lock(mutex_);
    if (FakeUsbBus::ownsPath(path)) {
        return bus_->readFile(path);
    }
    static const QRegularExpression comm(QStringLiteral("^/proc/(\\d+)/comm$"));
    if (const auto match = comm.match(path); match.hasMatch()) {
        for (const auto& [fd, handle] : handles_) {
            if (handle.pid == match.captured(1).toInt()) {
                return handle.processName.toUtf8() + '\n';
            }
        }
        return std::nullopt;
    }
    static const QRegularExpression sysfs(
        QStringLiteral("^/sys/class/video4linux/([^/]+)/(device/\\.\\./)?([^/]+)$"));
    const auto match = sysfs.match(path);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    for (const auto& node : nodes_) {
        if (!node->present || node->spec.name != match.captured(1)) {
            continue;
        }
        const auto attribute = match.captured(3);
        if (match.captured(2).isEmpty()) {
            if (attribute == QLatin1String("name")) {
                return node->spec.card.toUtf8() + '\n';
            }
            if (attribute == QLatin1String("index")) {
                return QByteArray::number(node->spec.index) + '\n';
            }
            return std::nullopt;
        }
        if (node->spec.usb.contains(attribute)) {
            return node->spec.usb.value(attribute) + '\n';
        }
    }
    return std::nullopt;
}

QString FakeV4L2System::readLink(const QString& path) {
    std::lock_guard lock(mutex_);
    if (FakeUsbBus::ownsPath(path)) {
        return bus_->readLink(path);
    }
    static const QRegularExpression fdLink(QStringLiteral("^/proc/(\\d+)/fd/(\\d+)$"));
    const auto match = fdLink.match(path);
    if (!match.hasMatch()) {
        return {};
    }
    const auto found = handles_.find(match.captured(2).toInt());
    if (found == handles_.end() || found->second.pid != match.captured(1).toInt()) {
        return {};
    }
    return QStringLiteral("/dev/") + found->second.node->spec.name;
}

void FakeV4L2System::waitForNodeActivity(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    const auto seen = activityCount_;
    activity_.wait_for(lock, timeout, [&] { return activityCount_ != seen || interrupted_; });
    interrupted_ = false;
}

void FakeV4L2System::interruptWait() {
    std::lock_guard lock(mutex_);
    interrupted_ = true;
    activity_.notify_all();
}

void FakeV4L2System::unplug(const QString& name) {
    std::lock_guard lock(mutex_);
    // A USB camera leaves with all its nodes.
    const auto leaving = bus_->unplugNode(name);
    for (const auto& node : nodes_) {
        if (leaving.contains(node->spec.name) && node->present) {
            node->present = false;
            releaseQueue(*node);
        }
    }
    touch();
}

void FakeV4L2System::plug(const FakeV4L2NodeSpec& spec) {
    std::lock_guard lock(mutex_);
    auto node = std::make_shared<Node>();
    node->spec = spec;
    nodes_.append(node);
    bus_->plugNode(spec);
    touch();
}

void FakeV4L2System::unbindUvcDriver() {
    std::lock_guard lock(mutex_);
    const auto leaving = bus_->unbindUvcDriver();
    for (const auto& node : nodes_) {
        if (leaving.contains(node->spec.name) && node->present) {
            node->present = false;
            releaseQueue(*node);
        }
    }
    touch();
}

void FakeV4L2System::setSimulatedRequestDelay(std::chrono::milliseconds delay) {
    requestDelayMs_ = delay.count();
}

std::optional<std::int32_t> FakeV4L2System::controlValue(const QString& name,
                                                         std::uint32_t id) const {
    std::lock_guard lock(mutex_);
    // The node plugged now, not one unplugged under the same name before.
    for (const auto& node : nodes_) {
        if (node->present && node->spec.name == name && node->spec.controls.contains(id)) {
            return node->spec.controls.value(id).value;
        }
    }
    return std::nullopt;
}

int FakeV4L2System::formatChanges(const QString& name) const {
    std::lock_guard lock(mutex_);
    int changes = 0;
    for (const auto& node : nodes_) {
        if (node->spec.name == name) {
            changes += node->formatChanges;
        }
    }
    return changes;
}

// The fixture.

namespace {

std::optional<std::pair<std::uint32_t, std::uint32_t>> fraction(const QJsonValue& value) {
    const auto parts = value.toString().split(QLatin1Char('/'));
    if (parts.size() != 2) {
        return std::nullopt;
    }
    return std::pair{parts[0].toUInt(), parts[1].toUInt()};
}

std::optional<QSize> size(const QString& text) {
    const auto parts = text.split(QLatin1Char('x'));
    if (parts.size() != 2) {
        return std::nullopt;
    }
    return QSize(parts[0].toInt(), parts[1].toInt());
}

std::uint32_t pixelFormat(const QString& fourcc) {
    const auto code = fourCharCodeFromText(fourcc.leftJustified(4, QLatin1Char(' ')));
    return code ? V4L2Mapping::pixelFormat(*code) : 0;
}

std::uint32_t colorspace(const QString& name) {
    static const QHash<QString, std::uint32_t> byName{
        {QStringLiteral("srgb"), V4L2_COLORSPACE_SRGB},
        {QStringLiteral("rec709"), V4L2_COLORSPACE_REC709},
        {QStringLiteral("smpte170m"), V4L2_COLORSPACE_SMPTE170M},
        {QStringLiteral("jpeg"), V4L2_COLORSPACE_JPEG},
        {QStringLiteral("bt2020"), V4L2_COLORSPACE_BT2020},
        {QStringLiteral("dcip3"), V4L2_COLORSPACE_DCI_P3}};
    return byName.value(name, V4L2_COLORSPACE_SRGB);
}

std::uint32_t capabilities(const QJsonArray& names) {
    static const QHash<QString, std::uint32_t> byName{
        {QStringLiteral("videoCapture"), V4L2_CAP_VIDEO_CAPTURE},
        {QStringLiteral("videoOutput"), V4L2_CAP_VIDEO_OUTPUT},
        {QStringLiteral("metaCapture"), V4L2_CAP_META_CAPTURE},
        {QStringLiteral("vbiCapture"), V4L2_CAP_VBI_CAPTURE},
        {QStringLiteral("streaming"), V4L2_CAP_STREAMING},
        {QStringLiteral("readWrite"), V4L2_CAP_READWRITE}};
    std::uint32_t caps = 0;
    for (const auto& name : names) {
        caps |= byName.value(name.toString());
    }
    return caps;
}

const QHash<QString, std::uint32_t>& controlIDs() {
    static const QHash<QString, std::uint32_t> ids{
        {QStringLiteral("exposureAuto"), V4L2_CID_EXPOSURE_AUTO},
        {QStringLiteral("exposureAbsolute"), V4L2_CID_EXPOSURE_ABSOLUTE},
        {QStringLiteral("focusAuto"), V4L2_CID_FOCUS_AUTO},
        {QStringLiteral("focusAbsolute"), V4L2_CID_FOCUS_ABSOLUTE},
        {QStringLiteral("zoomAbsolute"), V4L2_CID_ZOOM_ABSOLUTE},
        {QStringLiteral("whiteBalanceAuto"), V4L2_CID_AUTO_WHITE_BALANCE},
        {QStringLiteral("whiteBalanceTemperature"), V4L2_CID_WHITE_BALANCE_TEMPERATURE},
        {QStringLiteral("brightness"), V4L2_CID_BRIGHTNESS},
        {QStringLiteral("contrast"), V4L2_CID_CONTRAST},
        {QStringLiteral("saturation"), V4L2_CID_SATURATION},
        {QStringLiteral("hue"), V4L2_CID_HUE},
        {QStringLiteral("hueAuto"), V4L2_CID_HUE_AUTO},
        {QStringLiteral("gamma"), V4L2_CID_GAMMA},
        {QStringLiteral("gain"), V4L2_CID_GAIN},
        {QStringLiteral("sharpness"), V4L2_CID_SHARPNESS},
        {QStringLiteral("backlightCompensation"), V4L2_CID_BACKLIGHT_COMPENSATION},
        {QStringLiteral("powerLineFrequency"), V4L2_CID_POWER_LINE_FREQUENCY},
        {QStringLiteral("privacy"), V4L2_CID_PRIVACY}};
    return ids;
}

FakeV4L2Control control(const QJsonObject& fields) {
    static const QHash<QString, std::uint32_t> types{
        {QStringLiteral("integer"), V4L2_CTRL_TYPE_INTEGER},
        {QStringLiteral("boolean"), V4L2_CTRL_TYPE_BOOLEAN},
        {QStringLiteral("menu"), V4L2_CTRL_TYPE_MENU}};
    static const QHash<QString, std::uint32_t> flags{
        {QStringLiteral("inactive"), V4L2_CTRL_FLAG_INACTIVE},
        {QStringLiteral("readOnly"), V4L2_CTRL_FLAG_READ_ONLY},
        {QStringLiteral("volatile"), V4L2_CTRL_FLAG_VOLATILE},
        {QStringLiteral("disabled"), V4L2_CTRL_FLAG_DISABLED}};
    FakeV4L2Control entry;
    entry.value = fields.value(QStringLiteral("value")).toInt();
    for (const auto& item : fields.value(QStringLiteral("menu")).toArray()) {
        entry.menu.append(item.toInt());
    }
    entry.type = types.value(fields.value(QStringLiteral("type")).toString());
    entry.minimum =
        entry.menu.isEmpty() ? 0 : *std::min_element(entry.menu.begin(), entry.menu.end());
    entry.maximum =
        entry.menu.isEmpty() ? 1 : *std::max_element(entry.menu.begin(), entry.menu.end());
    entry.minimum = fields.value(QStringLiteral("min")).toInt(entry.minimum);
    entry.maximum = fields.value(QStringLiteral("max")).toInt(entry.maximum);
    entry.step = fields.value(QStringLiteral("step")).toInt(1);
    if (fields.contains(QStringLiteral("default"))) {
        entry.defaultValue = fields.value(QStringLiteral("default")).toInt();
    }
    for (const auto& flag : fields.value(QStringLiteral("flags")).toArray()) {
        entry.flags |= flags.value(flag.toString());
    }
    return entry;
}

// "uvc": the USB camera behind the node. The descriptors are hex text, one string per
// descriptor so a reader can follow them.
FakeUvcPersonality uvcPersonality(const QJsonObject& object) {
    FakeUvcPersonality personality;
    personality.devnum = object.value(QStringLiteral("devnum")).toInt();
    personality.configurationValue = object.value(QStringLiteral("configurationValue")).toInt(1);
    personality.driverBound = object.value(QStringLiteral("driverBound")).toBool(true);
    for (const auto& line : object.value(QStringLiteral("descriptors")).toArray()) {
        personality.descriptors += QByteArray::fromHex(line.toString().toLatin1());
    }
    for (const auto& value : object.value(QStringLiteral("extensionControls")).toArray()) {
        const auto fields = value.toObject();
        FakeUvcExtensionControl control;
        control.unit = std::uint8_t(fields.value(QStringLiteral("unit")).toInt());
        control.selector = std::uint8_t(fields.value(QStringLiteral("selector")).toInt());
        control.size = std::uint16_t(fields.value(QStringLiteral("size")).toInt(1));
        control.info = std::uint8_t(fields.value(QStringLiteral("info")).toInt(0x03));
        control.minimum = fields.value(QStringLiteral("min")).toInteger();
        control.maximum = fields.value(QStringLiteral("max")).toInteger(255);
        control.defaultValue = fields.value(QStringLiteral("default")).toInteger();
        control.current = fields.value(QStringLiteral("value")).toInteger();
        personality.extensionControls.append(control);
    }
    return personality;
}

FakeV4L2Size sizeEntry(const QJsonObject& object) {
    FakeV4L2Size entry;
    if (object.contains(QStringLiteral("stepwise"))) {
        // "min-max/step", each "WxH"
        const auto text = object.value(QStringLiteral("stepwise")).toString();
        const auto span = text.section(QLatin1Char('/'), 0, 0).split(QLatin1Char('-'));
        const auto step = size(text.section(QLatin1Char('/'), 1, 1)).value_or(QSize(1, 1));
        const auto minimum = size(span.value(0)).value_or(QSize());
        const auto maximum = size(span.value(1)).value_or(QSize());
        entry.width = std::uint32_t(minimum.width());
        entry.height = std::uint32_t(minimum.height());
        entry.stepwiseMaxAndStep = std::array<std::uint32_t, 4>{
            std::uint32_t(maximum.width()), std::uint32_t(maximum.height()),
            std::uint32_t(step.width()), std::uint32_t(step.height())};
    } else {
        const auto discrete =
            size(object.value(QStringLiteral("size")).toString()).value_or(QSize());
        entry.width = std::uint32_t(discrete.width());
        entry.height = std::uint32_t(discrete.height());
    }
    auto intervals = object.value(QStringLiteral("intervals")).toArray();
    if (object.contains(QStringLiteral("intervalSpan"))) {
        intervals = object.value(QStringLiteral("intervalSpan")).toArray();
        entry.intervalSpan = true;
    }
    for (const auto& interval : intervals) {
        if (const auto value = fraction(interval)) {
            entry.intervals.append(*value);
        }
    }
    return entry;
}

FakeV4L2NodeSpec nodeSpec(const QJsonObject& object) {
    FakeV4L2NodeSpec spec;
    spec.name = object.value(QStringLiteral("name")).toString();
    spec.driver = object.value(QStringLiteral("driver")).toString();
    spec.card = object.value(QStringLiteral("card")).toString();
    spec.busInfo = object.value(QStringLiteral("busInfo")).toString();
    spec.deviceCaps = capabilities(object.value(QStringLiteral("capabilities")).toArray());
    spec.index = object.value(QStringLiteral("index")).toInt();
    spec.permissionDenied = object.value(QStringLiteral("permissionDenied")).toBool();
    for (const auto& value : object.value(QStringLiteral("formats")).toArray()) {
        const auto format = value.toObject();
        FakeV4L2Format entry;
        entry.pixelFormat = pixelFormat(format.value(QStringLiteral("fourcc")).toString());
        entry.description = format.value(QStringLiteral("description")).toString();
        for (const auto& size : format.value(QStringLiteral("sizes")).toArray()) {
            entry.sizes.append(sizeEntry(size.toObject()));
        }
        spec.formats.append(entry);
    }
    const auto active = object.value(QStringLiteral("active")).toObject();
    spec.pixelFormat = pixelFormat(active.value(QStringLiteral("fourcc")).toString());
    const auto activeSize = size(active.value(QStringLiteral("size")).toString()).value_or(QSize());
    spec.width = std::uint32_t(activeSize.width());
    spec.height = std::uint32_t(activeSize.height());
    spec.interval = fraction(active.value(QStringLiteral("interval"))).value_or(spec.interval);
    spec.colorspace = colorspace(active.value(QStringLiteral("colorspace")).toString());
    const auto controls = object.value(QStringLiteral("controls")).toObject();
    for (auto control = controls.begin(); control != controls.end(); ++control) {
        if (const auto id = controlIDs().value(control.key())) {
            spec.controls.insert(id, tavrin::control(control.value().toObject()));
        }
    }
    if (object.contains(QStringLiteral("uvc"))) {
        spec.uvc = uvcPersonality(object.value(QStringLiteral("uvc")).toObject());
    }
    const auto usb = object.value(QStringLiteral("usb")).toObject();
    for (auto attribute = usb.begin(); attribute != usb.end(); ++attribute) {
        spec.usb.insert(attribute.key(), attribute.value().toString().toUtf8());
    }
    return spec;
}

}  // namespace

std::optional<QList<FakeV4L2NodeSpec>> FakeV4L2System::loadFixture(const QString& path,
                                                                   QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) {
            *error = file.errorString();
        }
        return std::nullopt;
    }
    QJsonParseError parseError;
    const auto document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (!document.isObject()) {
        if (error) {
            *error = parseError.errorString();
        }
        return std::nullopt;
    }
    QList<FakeV4L2NodeSpec> nodes;
    for (const auto& node : document.object().value(QStringLiteral("nodes")).toArray()) {
        nodes.append(nodeSpec(node.toObject()));
    }
    return nodes;
}

}  // namespace tavrin
