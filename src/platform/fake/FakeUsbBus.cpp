#include "platform/fake/FakeUsbBus.h"

#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>

#include <cerrno>

#include "platform/UsbVideoClass.h"
#include "platform/fake/FakeUvcFixtureCamera.h"

namespace tavrin {

namespace {

const QString devicesDirectory = QStringLiteral("/sys/bus/usb/devices/");
const QString usbfsDirectory = QStringLiteral("/dev/bus/usb/");
constexpr std::uint8_t hubClass = 0x09;
constexpr std::uint8_t interfaceRecipient = 0x01;

QByteArray hexByte(int value) {
    return QByteArray::number(value, 16).rightJustified(2, '0') + '\n';
}

}  // namespace

FakeUsbBus::FakeUsbBus(const QList<FakeV4L2NodeSpec>& nodes) {
    for (const auto& node : nodes) {
        if (node.uvc) {
            addCamera(node);
        }
    }
    for (const auto& node : nodes) {
        if (auto* owner = anyDevice(deviceName(node)); owner && owner->camera) {
            owner->videoNodes.append(node.name);
        }
    }
}

bool FakeUsbBus::sameDevice(const FakeV4L2NodeSpec& left, const FakeV4L2NodeSpec& right) {
    return left.usb.contains(QStringLiteral("busnum")) && deviceName(left) == deviceName(right);
}

QString FakeUsbBus::deviceName(const FakeV4L2NodeSpec& node) {
    return QString::fromUtf8(node.usb.value(QStringLiteral("busnum")) + '-' +
                             node.usb.value(QStringLiteral("devpath")));
}

void FakeUsbBus::addCamera(const FakeV4L2NodeSpec& node) {
    Device device;
    device.name = deviceName(node);
    device.bus = node.usb.value(QStringLiteral("busnum")).toInt();
    device.address = node.uvc->devnum;
    device.attributes = node.usb;
    for (auto& value : device.attributes) {
        value += '\n';
    }
    device.attributes.insert(QStringLiteral("devnum"), QByteArray::number(device.address) + '\n');
    device.attributes.insert(QStringLiteral("bConfigurationValue"),
                             QByteArray::number(node.uvc->configurationValue) + '\n');
    device.attributes.insert(QStringLiteral("bDeviceClass"), hexByte(0xEF));
    device.attributes.insert(QStringLiteral("descriptors"), node.uvc->descriptors);
    for (const auto& configuration :
         UsbConfigurationDescriptors::configurations(node.uvc->descriptors)) {
        const int value = std::uint8_t(configuration[5]);
        if (value != node.uvc->configurationValue) {
            continue;
        }
        for (const auto& descriptor : UsbConfigurationDescriptors::interfaces(configuration)) {
            if (descriptor.alternateSetting == 0) {
                device.interfaces.append(
                    {device.name + QStringLiteral(":%1.%2").arg(value).arg(descriptor.number),
                     descriptor,
                     node.uvc->driverBound &&
                         descriptor.interfaceClass == UsbVideoClass::videoInterfaceClass});
            }
        }
    }
    device.camera = makeFakeUvcCamera(node);
    devices_.push_back(std::move(device));
    // Every hub on the way is a device of the listing too, as the kernel shows them.
    const auto ports =
        QString::fromUtf8(node.usb.value(QStringLiteral("devpath"))).split(QLatin1Char('.'));
    for (qsizetype depth = 1; depth < ports.size(); ++depth) {
        addHub(devices_.back().bus, ports.mid(0, depth).join(QLatin1Char('.')));
    }
}

void FakeUsbBus::plugNode(const FakeV4L2NodeSpec& node) {
    auto* owner = anyDevice(deviceName(node));
    if (!owner && node.uvc) {
        addCamera(node);
        owner = &devices_.back();
    }
    if (!owner || !owner->camera) {
        return;
    }
    if (node.uvc) {
        owner->present = true;
    }
    if (!owner->videoNodes.contains(node.name)) {
        owner->videoNodes.append(node.name);
    }
}

void FakeUsbBus::addHub(int bus, const QString& devpath) {
    const QString name = QString::number(bus) + QLatin1Char('-') + devpath;
    if (device(name)) {
        return;
    }
    Device hub;
    hub.name = name;
    hub.bus = bus;
    hub.address = 100 + int(devices_.size());
    hub.attributes = {{QStringLiteral("busnum"), QByteArray::number(bus) + '\n'},
                      {QStringLiteral("devnum"), QByteArray::number(hub.address) + '\n'},
                      {QStringLiteral("devpath"), devpath.toUtf8() + '\n'},
                      {QStringLiteral("idVendor"), QByteArrayLiteral("05e3\n")},
                      {QStringLiteral("idProduct"), QByteArrayLiteral("0608\n")},
                      {QStringLiteral("bDeviceClass"), hexByte(hubClass)},
                      {QStringLiteral("bConfigurationValue"), QByteArrayLiteral("1\n")}};
    hub.interfaces.append({name + QStringLiteral(":1.0"), {0, 0, hubClass, 0}, false});
    devices_.push_back(std::move(hub));
}

bool FakeUsbBus::ownsPath(const QString& path) {
    return path.startsWith(devicesDirectory) || path == devicesDirectory.chopped(1) ||
           path.startsWith(usbfsDirectory);
}

const FakeUsbBus::Device* FakeUsbBus::device(const QString& name) const {
    for (const auto& device : devices_) {
        if (device.present && device.name == name) {
            return &device;
        }
    }
    return nullptr;
}

FakeUsbBus::Device* FakeUsbBus::anyDevice(const QString& name) {
    for (auto& device : devices_) {
        if (device.name == name) {
            return &device;
        }
    }
    return nullptr;
}

const FakeUsbBus::Interface* FakeUsbBus::interface(const QString& name,
                                                   const Device** owner) const {
    for (const auto& device : devices_) {
        for (const auto& interface : device.interfaces) {
            if (device.present && interface.name == name) {
                if (owner) {
                    *owner = &device;
                }
                return &interface;
            }
        }
    }
    return nullptr;
}

QStringList FakeUsbBus::listDirectory(const QString& path, const QStringList& presentNodes) const {
    QStringList names;
    if (path == devicesDirectory.chopped(1)) {
        QSet<int> buses;
        for (const auto& device : devices_) {
            if (!device.present) {
                continue;
            }
            buses.insert(device.bus);
            names.append(device.name);
            for (const auto& interface : device.interfaces) {
                names.append(interface.name);
            }
        }
        for (const int bus : buses) {
            names.append(QStringLiteral("usb%1").arg(bus));
        }
        return names;
    }
    const auto parts = path.mid(devicesDirectory.size()).split(QLatin1Char('/'));
    if (parts.size() == 1) {
        if (const auto* found = device(parts[0])) {
            for (const auto& interface : found->interfaces) {
                names.append(interface.name);
            }
            names.append(found->attributes.keys());
        }
        return names;
    }
    const Device* owner = nullptr;
    const auto* found = interface(parts[0], &owner);
    if (parts.size() == 2 && parts[1] == QLatin1String("video4linux") && found &&
        found->heldByVideoDriver &&
        found->descriptor.interfaceSubClass == UsbVideoClass::videoControlSubclass) {
        for (const auto& node : owner->videoNodes) {
            if (presentNodes.contains(node)) {
                names.append(node);
            }
        }
    }
    return names;
}

std::optional<QByteArray> FakeUsbBus::readFile(const QString& path) const {
    const auto parts = path.mid(devicesDirectory.size()).split(QLatin1Char('/'));
    if (!path.startsWith(devicesDirectory) || parts.size() != 2) {
        return std::nullopt;
    }
    if (const auto* found = device(parts[0])) {
        const auto attribute = found->attributes.constFind(parts[1]);
        return attribute == found->attributes.constEnd() ? std::nullopt : std::optional(*attribute);
    }
    const auto* found = interface(parts[0]);
    if (!found) {
        return std::nullopt;
    }
    const auto& descriptor = found->descriptor;
    const QHash<QString, QByteArray> attributes{
        {QStringLiteral("bInterfaceClass"), hexByte(descriptor.interfaceClass)},
        {QStringLiteral("bInterfaceSubClass"), hexByte(descriptor.interfaceSubClass)},
        {QStringLiteral("bInterfaceProtocol"), hexByte(0)},
        {QStringLiteral("bInterfaceNumber"), hexByte(descriptor.number)},
        {QStringLiteral("bAlternateSetting"), QByteArrayLiteral(" 0\n")}};
    const auto attribute = attributes.constFind(parts[1]);
    return attribute == attributes.constEnd() ? std::nullopt : std::optional(*attribute);
}

QString FakeUsbBus::readLink(const QString& path) const {
    const auto parts = path.mid(devicesDirectory.size()).split(QLatin1Char('/'));
    if (!path.startsWith(devicesDirectory) || parts.size() != 2 ||
        parts[1] != QLatin1String("driver")) {
        return {};
    }
    const auto* found = interface(parts[0]);
    if (!found) {
        return {};
    }
    if (found->descriptor.interfaceClass == hubClass) {
        return QStringLiteral("../../../../../../bus/usb/drivers/hub");
    }
    return found->heldByVideoDriver ? QStringLiteral("../../../../../../bus/usb/drivers/uvcvideo")
                                    : QString();
}

int FakeUsbBus::open(const QString& path, int fd) {
    const auto parts = path.mid(usbfsDirectory.size()).split(QLatin1Char('/'));
    if (parts.size() != 2) {
        return -ENOENT;
    }
    for (auto& device : devices_) {
        if (device.present && device.bus == parts[0].toInt() &&
            device.address == parts[1].toInt()) {
            handles_.emplace(fd, Handle{&device, {}});
            return fd;
        }
    }
    return -ENOENT;
}

int FakeUsbBus::close(int fd) {
    return handles_.erase(fd) ? 0 : -EBADF;
}

bool FakeUsbBus::claimedElsewhere(const Device& device, unsigned int number, int fd) const {
    for (const auto& [otherFD, handle] : handles_) {
        if (otherFD != fd && handle.device == &device && handle.claimed.contains(number)) {
            return true;
        }
    }
    return false;
}

int FakeUsbBus::ioctl(int fd, unsigned long request, void* argument) {
    auto& handle = handles_.at(fd);
    auto& device = *handle.device;
    if (handle.stale) {
        return -ENODEV;
    }
    auto claim = [&](unsigned int number) {
        for (const auto& interface : device.interfaces) {
            if (interface.descriptor.number == number) {
                if (interface.heldByVideoDriver || claimedElsewhere(device, number, fd)) {
                    return -EBUSY;
                }
                handle.claimed.insert(number);
                return 0;
            }
        }
        return -EINVAL;
    };
    switch (request) {
        case USBDEVFS_CLAIMINTERFACE:
            return claim(*static_cast<unsigned int*>(argument));
        case USBDEVFS_RELEASEINTERFACE:
            return handle.claimed.remove(*static_cast<unsigned int*>(argument)) ? 0 : -EINVAL;
        case USBDEVFS_CONTROL: {
            auto& transfer = *static_cast<usbdevfs_ctrltransfer*>(argument);
            // The kernel claims an interface addressed by a request on the caller's behalf.
            if ((transfer.bRequestType & 0x1F) == interfaceRecipient) {
                const auto number = unsigned(transfer.wIndex & 0xFF);
                if (!handle.claimed.contains(number)) {
                    if (const int result = claim(number); result != 0) {
                        return result;
                    }
                }
            }
            if (!device.camera) {
                return -EPIPE;
            }
            UsbDeviceRequest forwarded;
            forwarded.bmRequestType = transfer.bRequestType;
            forwarded.bRequest = transfer.bRequest;
            forwarded.wValue = transfer.wValue;
            forwarded.wIndex = transfer.wIndex;
            forwarded.wLength = transfer.wLength;
            forwarded.data = static_cast<std::uint8_t*>(transfer.data);
            switch (device.camera->respond(forwarded)) {
                case IOReturnCode::success:
                    return int(forwarded.completedLength);
                case IOReturnCode::pipeStalled:
                    return -EPIPE;
                case IOReturnCode::noDevice:
                    return -ENODEV;
                case IOReturnCode::notResponding:
                    return -ETIMEDOUT;
                default:
                    return -EIO;
            }
        }
        default:
            return -ENOTTY;
    }
}

QStringList FakeUsbBus::unplugNode(const QString& nodeName) {
    for (auto& device : devices_) {
        if (device.present && device.videoNodes.contains(nodeName)) {
            device.present = false;
            for (auto& [fd, handle] : handles_) {
                handle.stale = handle.stale || handle.device == &device;
            }
            return device.videoNodes;
        }
    }
    return {nodeName};
}

QStringList FakeUsbBus::unbindUvcDriver() {
    QStringList nodes;
    for (auto& device : devices_) {
        for (auto& interface : device.interfaces) {
            interface.heldByVideoDriver = false;
        }
        if (device.camera) {
            nodes.append(device.videoNodes);
        }
    }
    return nodes;
}

}  // namespace tavrin
