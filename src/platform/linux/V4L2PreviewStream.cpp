#include "platform/linux/V4L2PreviewStream.h"

#include <libv4l-plugin.h>
#include <libv4lconvert.h>
#include <linux/videodev2.h>

#include <cerrno>
#include <cstring>

namespace tavrin {

namespace {

constexpr std::uint32_t bufferCount = 4;

// libv4lconvert asks the driver about formats; its calls go through the same seam as ours, so a
// fake device is asked as well. libv4l's convention is -1 with errno set.
int convertIoctl(void* priv, int fd, unsigned long request, void* argument) {
    const int result = static_cast<V4L2System*>(priv)->ioctl(fd, request, argument);
    if (result < 0) {
        errno = -result;
        return -1;
    }
    return result;
}

const libv4l_dev_ops converterOps{nullptr, nullptr, convertIoctl, nullptr, nullptr,
                                  nullptr, nullptr, nullptr,      nullptr, nullptr};

}  // namespace

V4L2PreviewStream::V4L2PreviewStream(V4L2System& system, int fd) : system_(system), fd_(fd) {}

V4L2PreviewStream::~V4L2PreviewStream() {
    stop();
    if (converter_) {
        v4lconvert_destroy(converter_);
    }
}

QString V4L2PreviewStream::failureText(int error) {
    switch (error) {
        case EBUSY:
            return QStringLiteral("device busy: another process is streaming");
        case ENODEV:
            return QStringLiteral("the camera was unplugged");
        case EACCES:
        case EPERM:
            return QStringLiteral("permission denied: add the user to the video group");
        default:
            return QString::fromLocal8Bit(std::strerror(error));
    }
}

std::optional<QString> V4L2PreviewStream::start() {
    if (streaming_) {
        return std::nullopt;
    }
    v4l2_format format{};
    format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (const int result = system_.ioctl(fd_, VIDIOC_G_FMT, &format); result != 0) {
        return failureText(-result);
    }
    width_ = format.fmt.pix.width;
    height_ = format.fmt.pix.height;
    pixelFormat_ = format.fmt.pix.pixelformat;
    bytesPerLine_ = format.fmt.pix.bytesperline;
    sizeImage_ = format.fmt.pix.sizeimage;
    if (width_ == 0 || height_ == 0 || width_ > 16384 || height_ > 16384) {
        return QStringLiteral("the camera reports no usable frame size");
    }
    v4l2_requestbuffers request{};
    request.count = bufferCount;
    request.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    request.memory = V4L2_MEMORY_MMAP;
    if (const int result = system_.ioctl(fd_, VIDIOC_REQBUFS, &request); result != 0) {
        return failureText(-result);
    }
    streaming_ = true;  // from here on, stop() gives back what was taken
    for (std::uint32_t index = 0; index < request.count; ++index) {
        v4l2_buffer buffer{};
        buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        buffer.memory = V4L2_MEMORY_MMAP;
        buffer.index = index;
        if (const int result = system_.ioctl(fd_, VIDIOC_QUERYBUF, &buffer); result != 0) {
            stop();
            return failureText(-result);
        }
        void* address = system_.mmap(buffer.length, fd_, off_t(buffer.m.offset));
        if (!address) {
            stop();
            return QStringLiteral("the camera's buffers could not be mapped");
        }
        buffers_.push_back(Buffer{address, buffer.length});
        if (const int result = system_.ioctl(fd_, VIDIOC_QBUF, &buffer); result != 0) {
            stop();
            return failureText(-result);
        }
    }
    int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (const int result = system_.ioctl(fd_, VIDIOC_STREAMON, &type); result != 0) {
        stop();
        return failureText(-result);
    }
    if (!converter_) {
        converter_ = v4lconvert_create_with_dev_ops(fd_, &system_, &converterOps);
    }
    return std::nullopt;
}

V4L2PreviewStream::StepResult V4L2PreviewStream::step(int timeoutMs) {
    if (!streaming_) {
        return std::monostate();
    }
    const int ready = system_.poll(fd_, timeoutMs);
    if (ready < 0) {
        return failureText(-ready);
    }
    if (ready == 0) {
        return std::monostate();
    }
    v4l2_buffer buffer{};
    buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    buffer.memory = V4L2_MEMORY_MMAP;
    if (const int result = system_.ioctl(fd_, VIDIOC_DQBUF, &buffer); result != 0) {
        if (result == -EAGAIN) {
            return std::monostate();
        }
        return failureText(-result);
    }
    StepResult outcome = std::monostate();
    if (buffer.index < buffers_.size() && converter_) {
        const auto& mapped = buffers_[buffer.index];
        v4l2_format source{};
        source.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        source.fmt.pix.width = width_;
        source.fmt.pix.height = height_;
        source.fmt.pix.pixelformat = pixelFormat_;
        source.fmt.pix.bytesperline = bytesPerLine_;
        source.fmt.pix.sizeimage = sizeImage_;
        source.fmt.pix.field = V4L2_FIELD_NONE;
        v4l2_format target = source;
        target.fmt.pix.pixelformat = V4L2_PIX_FMT_RGB24;
        target.fmt.pix.bytesperline = width_ * 3;
        target.fmt.pix.sizeimage = width_ * 3 * height_;
        PreviewFrame frame;
        frame.size = QSize(int(width_), int(height_));
        frame.bytesPerLine = qsizetype(width_) * 3;
        frame.layout = PreviewFrame::Layout::rgb24;
        frame.pixels.resize(qsizetype(target.fmt.pix.sizeimage));
        frame.sequence = buffer.sequence;
        const auto used = std::min<std::size_t>(buffer.bytesused, mapped.length);
        const int converted = v4lconvert_convert(
            converter_, &source, &target, static_cast<unsigned char*>(mapped.address), int(used),
            reinterpret_cast<unsigned char*>(frame.pixels.data()), int(frame.pixels.size()));
        if (converted == int(frame.pixels.size()) && frame.isDrawable()) {
            outcome = std::move(frame);
        }
    }
    if (const int result = system_.ioctl(fd_, VIDIOC_QBUF, &buffer); result != 0) {
        return failureText(-result);
    }
    return outcome;
}

void V4L2PreviewStream::stop() {
    if (!streaming_) {
        return;
    }
    streaming_ = false;
    int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    system_.ioctl(fd_, VIDIOC_STREAMOFF, &type);
    for (const auto& buffer : buffers_) {
        system_.munmap(buffer.address, buffer.length);
    }
    buffers_.clear();
    v4l2_requestbuffers release{};
    release.count = 0;
    release.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    release.memory = V4L2_MEMORY_MMAP;
    system_.ioctl(fd_, VIDIOC_REQBUFS, &release);
}

}  // namespace tavrin
