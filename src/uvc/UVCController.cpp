#include "uvc/UVCController.h"

#include "platform/UsbVideoClass.h"
#include "uvc/UVCDescriptors.h"
#include "uvc/UVCValue.h"

namespace tavrin {

namespace {

using namespace UsbVideoClass;

QString hexStatus(IOReturn status) {
    return QString::asprintf("0x%08x", std::uint32_t(status));
}

IOReturn sendRequest(UsbInterface& interface, std::uint8_t requestType, std::uint8_t request,
                     std::uint8_t unitID, std::uint8_t selector, std::uint8_t interfaceNumber,
                     QByteArray& buffer) {
    UsbDeviceRequest transfer;
    transfer.bmRequestType = requestType;
    transfer.bRequest = request;
    transfer.wValue = std::uint16_t(selector << 8);
    transfer.wIndex = std::uint16_t(unitID << 8 | interfaceNumber);
    transfer.wLength = std::uint16_t(buffer.size());
    transfer.data = reinterpret_cast<std::uint8_t*>(buffer.data());
    transfer.completedLength = 0;
    const auto status = interface.controlRequest(transfer);
    // A device that answers a read with fewer bytes than the control has would otherwise be
    // decoded from the zeros the buffer held.
    if (status == IOReturnCode::success && (requestType & 0x80) &&
        transfer.completedLength < transfer.wLength) {
        return IOReturnCode::underrun;
    }
    return status;
}

std::shared_ptr<UsbDevice> makeDeviceInterface(UsbRegistryEntry& service) {
    std::shared_ptr<UsbPlugIn> plugIn;
    if (service.createPlugIn(UsbPlugInType::device, plugIn) != IOReturnCode::success || !plugIn) {
        return nullptr;
    }
    return plugIn->queryDeviceInterface();
}

struct OpenedInterface {
    std::shared_ptr<UsbInterface> interface;
    std::uint8_t number = 0;
};

std::optional<OpenedInterface> openVideoControlInterface(UsbDevice& device) {
    UsbFindInterfaceRequest find;
    find.interfaceClass = videoInterfaceClass;
    find.interfaceSubClass = videoControlSubclass;
    std::vector<std::shared_ptr<UsbRegistryEntry>> interfaces;
    if (const auto status = device.createInterfaceIterator(find, interfaces);
        status != IOReturnCode::success) {
        printUVCLine(
            QStringLiteral("openVideoControlInterface: CreateInterfaceIterator failed kr=") +
            hexStatus(status));
        return std::nullopt;
    }
    if (interfaces.empty() || !interfaces.front()) {
        printUVCLine(QStringLiteral(
            "openVideoControlInterface: no matching video-control interface in device"));
        return std::nullopt;
    }
    std::shared_ptr<UsbPlugIn> plugIn;
    const auto status = interfaces.front()->createPlugIn(UsbPlugInType::interface, plugIn);
    if (status != IOReturnCode::success || !plugIn) {
        printUVCLine(QStringLiteral("openVideoControlInterface: "
                                    "IOCreatePlugInInterfaceForService(interface) failed kr=") +
                     hexStatus(status));
        return std::nullopt;
    }
    auto interface = plugIn->queryInterfaceInterface();
    if (!interface) {
        printUVCLine(QStringLiteral(
            "openVideoControlInterface: QueryInterface for IOUSBInterfaceInterface942 returned "
            "nil"));
        return std::nullopt;
    }
    interface->open();
    OpenedInterface opened{std::move(interface), 0};
    opened.interface->interfaceNumber(opened.number);
    return opened;
}

}  // namespace

bool hasVideoControlInterface(UsbRegistryEntry& device) {
    std::vector<std::shared_ptr<UsbRegistryEntry>> children;
    if (device.childIterator(children) != IOReturnCode::success) {
        return false;
    }
    for (const auto& child : children) {
        const auto interfaceClass = child->numberProperty(QStringLiteral("bInterfaceClass"));
        const auto subclass = child->numberProperty(QStringLiteral("bInterfaceSubClass"));
        if (interfaceClass && subclass && (*interfaceClass & 0xFF) == videoInterfaceClass &&
            *subclass == videoControlSubclass) {
            return true;
        }
    }
    return false;
}

std::shared_ptr<UsbRegistryEntry> findUSBDevice(UsbService& usb, const QString& uniqueID) {
    const auto candidates = locationIDCandidates(uniqueID);
    if (candidates.isEmpty()) {
        return nullptr;
    }
    std::vector<std::shared_ptr<UsbRegistryEntry>> services;
    if (const auto status = usb.matchingServices(QStringLiteral("IOUSBDevice"), services);
        status != IOReturnCode::success) {
        printUVCLine(QStringLiteral("IOServiceGetMatchingServices failed kr=") +
                     QString::number(status));
        return nullptr;
    }
    for (const auto& service : services) {
        const auto locationID = service->numberProperty(QStringLiteral("locationID"));
        if (!locationID) {
            continue;
        }
        for (const auto candidate : candidates) {
            if (candidate == std::uint32_t(*locationID)) {
                if (hasVideoControlInterface(*service)) {
                    return service;
                }
                break;
            }
        }
    }
    return nullptr;
}

std::unique_ptr<UVCController> UVCController::open(UsbService& usb, const QString& uniqueID) {
    const auto service = findUSBDevice(usb, uniqueID);
    if (!service) {
        return nullptr;
    }
    std::unique_ptr<UVCController> controller(new UVCController());
    controller->deviceInterface_ = makeDeviceInterface(*service);
    if (!controller->deviceInterface_) {
        printUVCLine(QStringLiteral("init failed: makeDeviceInterface returned nil"));
        return nullptr;
    }
    controller->deviceInterface_->open();
    auto opened = openVideoControlInterface(*controller->deviceInterface_);
    if (!opened) {
        printUVCLine(QStringLiteral("init failed: openVideoControlInterface returned nil"));
        return nullptr;  // the destructor closes and releases the device
    }
    controller->videoControlInterface_ = std::move(opened->interface);
    controller->videoControlInterfaceNumber_ = opened->number;
    const auto ids = readUnitIDs(classSpecificInterfaceDescriptors(
        controller->videoControlInterface_->associatedDescriptorBytes()));
    controller->cameraTerminalUnitID_ = ids.cameraTerminal;
    controller->processingUnitID_ = ids.processingUnit;
    controller->isOpen_ = true;
    return controller;
}

UVCController::~UVCController() {
    if (videoControlInterface_) {
        videoControlInterface_->close();
        videoControlInterface_.reset();
    }
    if (deviceInterface_) {
        deviceInterface_->close();
        deviceInterface_.reset();
    }
    probedControls_.clear();
}

std::optional<UVCControl> UVCController::control(UVCUnit unit, std::uint8_t selector,
                                                 int byteCount) {
    const auto unitID = unit == UVCUnit::processingUnit ? processingUnitID_ : cameraTerminalUnitID_;
    if (unitID == 0) {
        return std::nullopt;
    }
    const UVCControlKey key{unitID, selector};
    if (const auto cached = probedControls_.constFind(key); cached != probedControls_.constEnd()) {
        return *cached;
    }
    auto probed = probeControl(unitID, selector, byteCount);
    // A camera that is gone says nothing of what it has: a later controller asks again.
    if (!deviceGone_) {
        probedControls_.insert(key, probed);
    }
    return probed;
}

std::optional<UVCControl> UVCController::probeControl(std::uint8_t unitID, std::uint8_t selector,
                                                      int byteCount) {
    if (!videoControlInterface_) {
        return std::nullopt;
    }
    auto& interface = *videoControlInterface_;
    const auto number = videoControlInterfaceNumber_;
    QByteArray info(1, '\0');
    const auto infoStatus =
        sendRequest(interface, requestTypeGet, getInfo, unitID, selector, number, info);
    if (infoStatus == IOReturnCode::noDevice) {
        noteDeviceGone();
    }
    if (infoStatus != IOReturnCode::success || !(std::uint8_t(info[0]) & 0x01)) {
        return std::nullopt;
    }
    auto get = [&](std::uint8_t request, std::int64_t fallback) {
        QByteArray buffer(qMax(byteCount, 0), '\0');
        const auto status =
            sendRequest(interface, requestTypeGet, request, unitID, selector, number, buffer);
        if (status == IOReturnCode::noDevice) {
            noteDeviceGone();
        }
        return status == IOReturnCode::success ? decodeUVCValue(buffer) : fallback;
    };
    UVCControl control;
    control.unitID = unitID;
    control.selector = selector;
    control.byteCount = byteCount;
    control.min = get(getMin, 0);
    control.max = get(getMax, byteCount == 1 ? 255 : 2147483647);
    control.defaultValue = get(getDef, 0);
    control.supportsSet = std::uint8_t(info[0]) & 0x02;
    control.interface = videoControlInterface_;
    control.interfaceNumber = number;
    return control;
}

std::optional<std::int64_t> UVCController::currentValue(const UVCControl& control,
                                                        IOReturn* status) {
    if (!control.interface) {
        if (status) {
            *status = IOReturnCode::notOpen;
        }
        return std::nullopt;
    }
    QByteArray buffer(qMax(control.byteCount, 0), '\0');
    const auto result = sendRequest(*control.interface, requestTypeGet, getCur, control.unitID,
                                    control.selector, control.interfaceNumber, buffer);
    if (status) {
        *status = result;
    }
    if (result != IOReturnCode::success) {
        return std::nullopt;
    }
    return decodeUVCValue(buffer);
}

bool UVCController::setCurrent(const UVCControl& control, const QByteArray& bytes) {
    if (!control.interface) {
        return false;
    }
    QByteArray buffer = bytes.left(qMax(control.byteCount, 0));
    buffer.resize(qMax(control.byteCount, 0), '\0');
    return sendRequest(*control.interface, requestTypeSet, setCur, control.unitID, control.selector,
                       control.interfaceNumber, buffer) == IOReturnCode::success;
}

}  // namespace tavrin
