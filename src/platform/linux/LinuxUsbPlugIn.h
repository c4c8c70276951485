#pragma once

#include <memory>

#include "platform/UsbService.h"

namespace tavrin {

// Hands out the one function table it was made with.
class LinuxUsbPlugIn final : public UsbPlugIn {
public:
    explicit LinuxUsbPlugIn(std::shared_ptr<UsbDevice> device) : device_(std::move(device)) {}
    explicit LinuxUsbPlugIn(std::shared_ptr<UsbInterface> interface)
        : interface_(std::move(interface)) {}

    std::shared_ptr<UsbDevice> queryDeviceInterface() override { return device_; }
    std::shared_ptr<UsbInterface> queryInterfaceInterface() override { return interface_; }

private:
    std::shared_ptr<UsbDevice> device_;
    std::shared_ptr<UsbInterface> interface_;
};

}  // namespace tavrin
