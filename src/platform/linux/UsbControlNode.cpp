#include "platform/linux/UsbControlNode.h"

#include <fcntl.h>
#include <cerrno>

#include "platform/linux/LinuxUsbErrors.h"

namespace tavrin {

int UsbControlNode::open(V4L2System& system, const QString& path, IOReturn& status) {
    const int fd = system.open(path, O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        LinuxUsbErrors::printLine(QStringLiteral("open ") + path + QStringLiteral(" failed: ") +
                                  LinuxUsbErrors::errnoText(-fd));
        status = LinuxUsbErrors::openStatus(-fd);
        return -1;
    }
    status = IOReturnCode::success;
    return fd;
}

IOReturn UsbControlNode::state() const {
    if (gone_) {
        return IOReturnCode::noDevice;
    }
    return fd_ >= 0 ? IOReturnCode::success : IOReturnCode::notOpen;
}

int UsbControlNode::ioctl(unsigned long request, void* argument) {
    return fd_ >= 0 ? system_->ioctl(fd_, request, argument) : -EBADF;
}

void UsbControlNode::close() {
    if (fd_ >= 0) {
        system_->close(fd_);
        fd_ = -1;
    }
}

void UsbControlNode::adopt(int fd) {
    close();
    fd_ = fd;
}

void UsbControlNode::report(const QString& line) {
    if (line != lastLine_) {
        lastLine_ = line;
        LinuxUsbErrors::printLine(line);
    }
}

IOReturn UsbControlNode::failed(const QString& call, int result) {
    const int error = -result;
    const QString line = call + QStringLiteral(" on ") + path_ + QStringLiteral(" failed: ") +
                         LinuxUsbErrors::errnoText(error);
    if (error == ENODEV) {
        // Unplugged: not a failure to report here. Whoever was asking says that the camera
        // went, once (a refresh says "refresh ended").
        close();
        gone_ = true;
    } else if (!LinuxUsbErrors::isStall(error)) {
        report(line);
    }
    return LinuxUsbErrors::requestStatus(error);
}

}  // namespace tavrin
