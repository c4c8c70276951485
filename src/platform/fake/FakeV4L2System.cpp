#include "platform/fake/FakeV4L2System.h"

#include <linux/videodev2.h>

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

FakeV4L2System::FakeV4L2System(QList<FakeV4L2NodeSpec> nodes) {
    for (auto& spec : nodes) {
        auto node = std::make_shared<Node>();
        node->spec = std::move(spec);
        nodes_.append(node);
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

bool FakeV4L2System::priorityAllows(const Node& node, int fd) const {
    std::uint32_t highest = 0;
    for (const auto& [otherFD, handle] : handles_) {
        if (handle.node.get() == &node) {
            highest = std::max(highest, handle.priority);
        }
    }
    return handles_.at(fd).priority >= highest;
}

int FakeV4L2System::ioctl(int fd, unsigned long request, void* argument) {
    std::unique_lock lock(mutex_);
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
                        highest = std::max(highest, other.priority);
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
            handle.priority = priority;
            return 0;
        }
        case VIDIOC_QUERYCTRL: {
            auto& query = *static_cast<v4l2_queryctrl*>(argument);
            if (!spec.controls.contains(query.id)) {
                return -EINVAL;
            }
            const auto& control = spec.controls[query.id];
            query.type = control.menu.isEmpty() ? V4L2_CTRL_TYPE_BOOLEAN : V4L2_CTRL_TYPE_MENU;
            query.minimum = control.minimum;
            query.maximum = control.maximum;
            query.step = 1;
            query.default_value = control.value;
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
                if (value.value < control.minimum || value.value > control.maximum ||
                    (!control.menu.isEmpty() && !control.menu.contains(value.value))) {
                    return -ERANGE;
                }
                control.value = value.value;
            }
            value.value = control.value;
            return 0;
        }
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
    for (const auto& node : nodes_) {
        if (node->spec.name == name && node->present) {
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
    touch();
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
        {QStringLiteral("focusAuto"), V4L2_CID_FOCUS_AUTO},
        {QStringLiteral("whiteBalanceAuto"), V4L2_CID_AUTO_WHITE_BALANCE},
        {QStringLiteral("privacy"), V4L2_CID_PRIVACY}};
    return ids;
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
        const auto fields = control.value().toObject();
        FakeV4L2Control entry;
        entry.value = fields.value(QStringLiteral("value")).toInt();
        for (const auto& item : fields.value(QStringLiteral("menu")).toArray()) {
            entry.menu.append(item.toInt());
        }
        entry.minimum =
            entry.menu.isEmpty() ? 0 : *std::min_element(entry.menu.begin(), entry.menu.end());
        entry.maximum =
            entry.menu.isEmpty() ? 1 : *std::max_element(entry.menu.begin(), entry.menu.end());
        if (const auto id = controlIDs().value(control.key())) {
            spec.controls.insert(id, entry);
        }
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
