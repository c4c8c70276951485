#pragma once

#include <QString>
#include <memory>

#include "platform/UsbService.h"
#include "platform/linux/UsbControlRoute.h"
#include "platform/linux/V4L2OwnHandles.h"
#include "platform/linux/V4L2System.h"

namespace tavrin {

// A USB interface in sysfs (/sys/bus/usb/devices/1-1.4:1.0). Its plug-in reaches the interface:
// through the capture node of uvcvideo when that driver holds it, or through the device's usbfs
// node, claiming the interface, when no driver does. Another driver's interface can't be
// reached. A failure prints which call failed with its errno and answers a non-zero status.
class LinuxUsbInterfaceEntry final : public UsbRegistryEntry {
public:
    LinuxUsbInterfaceEntry(std::shared_ptr<V4L2System> system, QString device, QString name,
                           std::shared_ptr<const V4L2OwnHandles> ownHandles = nullptr)
        : system_(std::move(system)),
          device_(std::move(device)),
          name_(std::move(name)),
          ownHandles_(std::move(ownHandles)) {}

    // "bInterfaceClass", "bInterfaceSubClass", "bInterfaceProtocol", "bInterfaceNumber",
    // "bAlternateSetting".
    std::optional<std::int64_t> numberProperty(const QString& key) override;
    IOReturn childIterator(std::vector<std::shared_ptr<UsbRegistryEntry>>&) override {
        return IOReturnCode::success;
    }
    IOReturn createPlugIn(UsbPlugInType type, std::shared_ptr<UsbPlugIn>& plugIn) override;

private:
    std::unique_ptr<UsbControlRoute> openDriverRoute(std::uint8_t number, const QByteArray& bytes,
                                                     IOReturn& status);
    std::unique_ptr<UsbControlRoute> openRawRoute(std::uint8_t number, IOReturn& status);

    const std::shared_ptr<V4L2System> system_;
    const QString device_;
    const QString name_;
    const std::shared_ptr<const V4L2OwnHandles> ownHandles_;
};

}  // namespace tavrin
