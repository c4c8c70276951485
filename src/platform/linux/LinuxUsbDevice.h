#pragma once

#include <QString>
#include <memory>

#include "platform/UsbService.h"
#include "platform/linux/V4L2OwnHandles.h"
#include "platform/linux/V4L2System.h"

namespace tavrin {

// A USB device's table. Opening and closing it have nothing to do on Linux: the interfaces are
// what is reached.
class LinuxUsbDevice final : public UsbDevice {
public:
    LinuxUsbDevice(std::shared_ptr<V4L2System> system, QString name,
                   std::shared_ptr<const V4L2OwnHandles> ownHandles)
        : system_(std::move(system)), name_(std::move(name)), ownHandles_(std::move(ownHandles)) {}

    IOReturn open() override { return IOReturnCode::success; }
    IOReturn close() override { return IOReturnCode::success; }
    // The device's interfaces that match every field of `request` that isn't "don't care".
    IOReturn createInterfaceIterator(
        const UsbFindInterfaceRequest& request,
        std::vector<std::shared_ptr<UsbRegistryEntry>>& interfaces) override;

private:
    const std::shared_ptr<V4L2System> system_;
    const QString name_;
    const std::shared_ptr<const V4L2OwnHandles> ownHandles_;
};

}  // namespace tavrin
