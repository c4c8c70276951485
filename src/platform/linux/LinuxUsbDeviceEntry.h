#pragma once

#include <QString>
#include <memory>

#include "platform/UsbService.h"
#include "platform/linux/V4L2OwnHandles.h"
#include "platform/linux/V4L2System.h"

namespace tavrin {

// A USB device in sysfs (/sys/bus/usb/devices/1-1.4). Its "locationID" packs the bus number and
// port path; its children are its interfaces ("1-1.4:1.0", ...).
class LinuxUsbDeviceEntry final : public UsbRegistryEntry {
public:
    LinuxUsbDeviceEntry(std::shared_ptr<V4L2System> system, QString name,
                        std::shared_ptr<const V4L2OwnHandles> ownHandles = nullptr)
        : system_(std::move(system)), name_(std::move(name)), ownHandles_(std::move(ownHandles)) {}

    // "locationID", "idVendor", "idProduct"; absent where sysfs doesn't give a number.
    std::optional<std::int64_t> numberProperty(const QString& key) override;
    IOReturn childIterator(std::vector<std::shared_ptr<UsbRegistryEntry>>& children) override;
    // Only the device table; nothing to open on the device itself.
    IOReturn createPlugIn(UsbPlugInType type, std::shared_ptr<UsbPlugIn>& plugIn) override;

private:
    const std::shared_ptr<V4L2System> system_;
    const QString name_;
    const std::shared_ptr<const V4L2OwnHandles> ownHandles_;
};

}  // namespace tavrin
