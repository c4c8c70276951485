#include "platform/linux/LinuxUsbService.h"

#include "platform/linux/LinuxUsbDeviceEntry.h"
#include "platform/linux/UsbSysfs.h"

namespace tavrin {

IOReturn LinuxUsbService::matchingServices(
    const QString& className, std::vector<std::shared_ptr<UsbRegistryEntry>>& services) {
    if (className != QLatin1String("IOUSBDevice")) {
        return IOReturnCode::success;
    }
    auto names = system_->listDirectory(UsbSysfs::devicesDirectory);
    names.sort();
    for (const auto& name : std::as_const(names)) {
        // Interfaces carry a ':'; "usbN" are the host controllers' root hubs.
        if (name.contains(QLatin1Char(':')) || name.startsWith(QLatin1String("usb"))) {
            continue;
        }
        services.push_back(std::make_shared<LinuxUsbDeviceEntry>(system_, name, ownHandles_));
    }
    return IOReturnCode::success;
}

}  // namespace tavrin
