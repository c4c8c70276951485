#include "platform/linux/LinuxUsbInterfaceEntry.h"

#include <linux/videodev2.h>

#include <algorithm>
#include <cerrno>

#include "platform/linux/LinuxUsbErrors.h"
#include "platform/linux/LinuxUsbInterface.h"
#include "platform/linux/LinuxUsbPlugIn.h"
#include "platform/linux/UsbConfigurationDescriptors.h"
#include "platform/linux/UsbControlNode.h"
#include "platform/linux/UsbSysfs.h"
#include "platform/linux/UsbfsControlChannel.h"
#include "platform/linux/UvcV4L2Bridge.h"

namespace tavrin {

namespace {

const QString videoDriver = QStringLiteral("uvcvideo");

// "video12" → 12; other names sort last.
int nodeNumber(const QString& name) {
    bool ok = false;
    const int number = name.mid(5).toInt(&ok);
    return name.startsWith(QLatin1String("video")) && ok ? number : -1;
}

}  // namespace

std::optional<std::int64_t> LinuxUsbInterfaceEntry::numberProperty(const QString& key) {
    if (key == QLatin1String("bInterfaceClass") || key == QLatin1String("bInterfaceSubClass") ||
        key == QLatin1String("bInterfaceProtocol") || key == QLatin1String("bInterfaceNumber")) {
        return UsbSysfs::hexNumber(*system_, name_, key, 0xFF);
    }
    if (key == QLatin1String("bAlternateSetting")) {
        return UsbSysfs::decimalNumber(*system_, name_, key, 0xFF);
    }
    return std::nullopt;
}

IOReturn LinuxUsbInterfaceEntry::createPlugIn(UsbPlugInType type,
                                              std::shared_ptr<UsbPlugIn>& plugIn) {
    if (type != UsbPlugInType::interface) {
        return IOReturnCode::unsupported;
    }
    const auto number =
        UsbSysfs::hexNumber(*system_, name_, QStringLiteral("bInterfaceNumber"), 0xFF);
    if (!number) {
        LinuxUsbErrors::printLine(QStringLiteral("reading ") +
                                  UsbSysfs::path(name_, QStringLiteral("bInterfaceNumber")) +
                                  QStringLiteral(" failed"));
        return IOReturnCode::noDevice;
    }
    const auto descriptors =
        system_->readFile(UsbSysfs::path(device_, QStringLiteral("descriptors")));
    const auto configuration =
        UsbSysfs::decimalNumber(*system_, device_, QStringLiteral("bConfigurationValue"), 0xFF);
    const auto bytes = UsbConfigurationDescriptors::interfaceAssociatedBytes(
                           descriptors.value_or(QByteArray()), configuration, std::uint8_t(*number))
                           .value_or(QByteArray());

    const auto driverLink = system_->readLink(UsbSysfs::path(name_, QStringLiteral("driver")));
    const auto driver = driverLink.section(QLatin1Char('/'), -1);
    IOReturn status = IOReturnCode::success;
    std::unique_ptr<UsbControlRoute> route;
    if (driver == videoDriver) {
        route = openDriverRoute(std::uint8_t(*number), bytes, status);
    } else if (driver.isEmpty()) {
        route = openRawRoute(std::uint8_t(*number), status);
    } else {
        LinuxUsbErrors::printLine(QStringLiteral("interface ") + name_ +
                                  QStringLiteral(" is held by driver ") + driver);
        return IOReturnCode::exclusiveAccess;
    }
    if (!route) {
        return status;
    }
    plugIn = std::make_shared<LinuxUsbPlugIn>(
        std::make_shared<LinuxUsbInterface>(std::uint8_t(*number), bytes, std::move(route)));
    return IOReturnCode::success;
}

std::unique_ptr<UsbControlRoute> LinuxUsbInterfaceEntry::openDriverRoute(std::uint8_t number,
                                                                         const QByteArray& bytes,
                                                                         IOReturn& status) {
    auto nodes = system_->listDirectory(UsbSysfs::path(name_, QStringLiteral("video4linux")));
    nodes.removeIf([](const QString& node) { return nodeNumber(node) < 0; });
    std::sort(nodes.begin(), nodes.end(), [](const QString& left, const QString& right) {
        return nodeNumber(left) < nodeNumber(right);
    });
    // The driver's controls are reached through its capture node; the metadata node has none.
    std::optional<IOReturn> openFailure;
    for (const auto& node : std::as_const(nodes)) {
        const QString path = QStringLiteral("/dev/") + node;
        // Our own handle first: while we hold the camera's configuration lock, only it may
        // change a control.
        const int own = ownHandles_ ? ownHandles_->duplicate(path) : -ENOENT;
        const int fd = own >= 0 ? own : UsbControlNode::open(*system_, path, status);
        if (fd < 0) {
            openFailure = status;  // said on its line; another node may still do
            continue;
        }
        v4l2_capability capability{};
        if (system_->ioctl(fd, VIDIOC_QUERYCAP, &capability) == 0 &&
            (capability.device_caps & V4L2_CAP_VIDEO_CAPTURE)) {
            UvcV4L2Bridge::OwnHandle ownHandle;
            if (ownHandles_) {
                ownHandle = [handles = ownHandles_, path] { return handles->duplicate(path); };
            }
            return std::make_unique<UvcV4L2Bridge>(system_, fd, path, number,
                                                   videoControlUnits(bytes), own >= 0,
                                                   std::move(ownHandle));
        }
        system_->close(fd);
    }
    if (openFailure) {
        status = *openFailure;
        return nullptr;
    }
    LinuxUsbErrors::printLine(QStringLiteral("no capture node under ") +
                              UsbSysfs::path(name_, QStringLiteral("video4linux")));
    status = IOReturnCode::noDevice;
    return nullptr;
}

std::unique_ptr<UsbControlRoute> LinuxUsbInterfaceEntry::openRawRoute(std::uint8_t number,
                                                                      IOReturn& status) {
    const auto bus = UsbSysfs::decimalNumber(*system_, device_, QStringLiteral("busnum"), 999);
    const auto address = UsbSysfs::decimalNumber(*system_, device_, QStringLiteral("devnum"), 999);
    if (!bus || !address) {
        LinuxUsbErrors::printLine(QStringLiteral("reading the bus and device numbers of ") +
                                  UsbSysfs::path(device_) + QStringLiteral(" failed"));
        status = IOReturnCode::noDevice;
        return nullptr;
    }
    const auto path = QStringLiteral("/dev/bus/usb/%1/%2")
                          .arg(*bus, 3, 10, QLatin1Char('0'))
                          .arg(*address, 3, 10, QLatin1Char('0'));
    return UsbfsControlChannel::open(system_, path, number, status);
}

}  // namespace tavrin
