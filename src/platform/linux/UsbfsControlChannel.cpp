#include "platform/linux/UsbfsControlChannel.h"

#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>

#include "platform/linux/LinuxUsbErrors.h"

namespace tavrin {

UsbfsControlChannel::UsbfsControlChannel(std::shared_ptr<V4L2System> system, int fd,
                                         QString nodePath, std::uint8_t interfaceNumber)
    : node_(std::move(system), fd, std::move(nodePath)), interfaceNumber_(interfaceNumber) {}

std::unique_ptr<UsbfsControlChannel> UsbfsControlChannel::open(std::shared_ptr<V4L2System> system,
                                                               const QString& nodePath,
                                                               std::uint8_t interfaceNumber,
                                                               IOReturn& status) {
    const int fd = UsbControlNode::open(*system, nodePath, status);
    if (fd < 0) {
        return nullptr;
    }
    unsigned int number = interfaceNumber;
    if (const int result = system->ioctl(fd, USBDEVFS_CLAIMINTERFACE, &number); result != 0) {
        LinuxUsbErrors::printLine(
            QStringLiteral("USBDEVFS_CLAIMINTERFACE(%1) on ").arg(interfaceNumber) + nodePath +
            QStringLiteral(" failed: ") + LinuxUsbErrors::errnoText(-result));
        system->close(fd);
        status = LinuxUsbErrors::openStatus(-result);
        return nullptr;
    }
    return std::unique_ptr<UsbfsControlChannel>(
        new UsbfsControlChannel(std::move(system), fd, nodePath, interfaceNumber));
}

UsbfsControlChannel::~UsbfsControlChannel() {
    release();
}

void UsbfsControlChannel::close() {
    std::lock_guard lock(mutex_);
    release();
}

void UsbfsControlChannel::release() {
    // A device that is gone has nothing to release; its node is closed already.
    if (node_.state() == IOReturnCode::success) {
        unsigned int number = interfaceNumber_;
        node_.ioctl(USBDEVFS_RELEASEINTERFACE, &number);
    }
    node_.close();
}

IOReturn UsbfsControlChannel::controlRequest(UsbDeviceRequest& request) {
    std::lock_guard lock(mutex_);
    request.completedLength = 0;
    if (const auto state = node_.state(); state != IOReturnCode::success) {
        return state;
    }
    usbdevfs_ctrltransfer transfer{};
    transfer.bRequestType = request.bmRequestType;
    transfer.bRequest = request.bRequest;
    transfer.wValue = request.wValue;
    transfer.wIndex = request.wIndex;
    transfer.wLength = request.wLength;
    transfer.timeout = transferTimeoutMs;
    transfer.data = request.data;
    const int result = node_.ioctl(USBDEVFS_CONTROL, &transfer);
    if (result < 0) {
        // EPIPE is the device's own stall: silent, like the driver's refusals.
        return node_.failed(
            QStringLiteral("USBDEVFS_CONTROL(0x%1)").arg(request.bRequest, 2, 16, QLatin1Char('0')),
            result);
    }
    // A device may answer with fewer bytes than asked for.
    request.completedLength = std::uint32_t(result);
    return IOReturnCode::success;
}

}  // namespace tavrin
