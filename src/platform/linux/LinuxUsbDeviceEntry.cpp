#include "platform/linux/LinuxUsbDeviceEntry.h"

#include <algorithm>

#include "platform/linux/LinuxUsbDevice.h"
#include "platform/linux/LinuxUsbInterfaceEntry.h"
#include "platform/linux/LinuxUsbPlugIn.h"
#include "platform/linux/UsbSysfs.h"
#include "platform/linux/V4L2Mapping.h"

namespace tavrin {

std::optional<std::int64_t> LinuxUsbDeviceEntry::numberProperty(const QString& key) {
    if (key == QLatin1String("locationID")) {
        const auto bus = UsbSysfs::decimalNumber(*system_, name_, QStringLiteral("busnum"), 0xFFFF);
        const auto path = UsbSysfs::text(*system_, name_, QStringLiteral("devpath"));
        if (!bus || !path) {
            return std::nullopt;
        }
        const auto locationID = V4L2Mapping::usbLocationID(*bus, *path);
        return locationID ? std::optional<std::int64_t>(*locationID) : std::nullopt;
    }
    if (key == QLatin1String("idVendor") || key == QLatin1String("idProduct")) {
        return UsbSysfs::hexNumber(*system_, name_, key, 0xFFFF);
    }
    return std::nullopt;
}

IOReturn LinuxUsbDeviceEntry::childIterator(
    std::vector<std::shared_ptr<UsbRegistryEntry>>& children) {
    auto names = system_->listDirectory(UsbSysfs::path(name_));
    names.sort();
    const QString prefix = name_ + QLatin1Char(':');
    for (const auto& name : std::as_const(names)) {
        if (name.startsWith(prefix)) {
            children.push_back(
                std::make_shared<LinuxUsbInterfaceEntry>(system_, name_, name, ownHandles_));
        }
    }
    return IOReturnCode::success;
}

IOReturn LinuxUsbDeviceEntry::createPlugIn(UsbPlugInType type, std::shared_ptr<UsbPlugIn>& plugIn) {
    if (type != UsbPlugInType::device) {
        return IOReturnCode::unsupported;
    }
    plugIn = std::make_shared<LinuxUsbPlugIn>(
        std::make_shared<LinuxUsbDevice>(system_, name_, ownHandles_));
    return IOReturnCode::success;
}

}  // namespace tavrin
