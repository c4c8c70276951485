#pragma once

#include <memory>

#include "platform/UsbService.h"
#include "platform/linux/V4L2OwnHandles.h"
#include "platform/linux/V4L2System.h"

namespace tavrin {

// The USB layer of a Linux machine, read from sysfs through the V4L2 seam: "IOUSBDevice" lists
// /sys/bus/usb/devices without the root hubs. Everything it hands out keeps the seam alive, so a
// controller torn down on its worker after the platform is gone still closes cleanly. Any thread
// may call it; each opened interface serialises its own requests.
class LinuxUsbService final : public UsbService {
public:
    // With `ownHandles`, a camera that we have open is reached through our own handle of it.
    explicit LinuxUsbService(std::shared_ptr<V4L2System> system,
                             std::shared_ptr<const V4L2OwnHandles> ownHandles = nullptr)
        : system_(std::move(system)), ownHandles_(std::move(ownHandles)) {}

    IOReturn matchingServices(const QString& className,
                              std::vector<std::shared_ptr<UsbRegistryEntry>>& services) override;

private:
    const std::shared_ptr<V4L2System> system_;
    const std::shared_ptr<const V4L2OwnHandles> ownHandles_;
};

}  // namespace tavrin
