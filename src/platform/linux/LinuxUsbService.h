#pragma once

#include <memory>

#include "platform/UsbService.h"
#include "platform/linux/V4L2System.h"

namespace tavrin {

// The USB layer of a Linux machine, read from sysfs through the V4L2 seam: "IOUSBDevice" lists
// /sys/bus/usb/devices without the root hubs. Everything it hands out keeps the seam alive, so a
// controller torn down on its worker after the platform is gone still closes cleanly. Any thread
// may call it; each opened interface serialises its own requests.
class LinuxUsbService final : public UsbService {
public:
    explicit LinuxUsbService(std::shared_ptr<V4L2System> system) : system_(std::move(system)) {}

    IOReturn matchingServices(const QString& className,
                              std::vector<std::shared_ptr<UsbRegistryEntry>>& services) override;

private:
    const std::shared_ptr<V4L2System> system_;
};

}  // namespace tavrin
