#pragma once

#include <QByteArray>
#include <memory>

#include "platform/UsbService.h"
#include "platform/linux/UsbControlRoute.h"

namespace tavrin {

// An opened video-control interface: its number, its descriptors from sysfs, and the route its
// requests take. open() has nothing left to do (reaching the interface was the plug-in's job);
// close() gives the route's node back.
class LinuxUsbInterface final : public UsbInterface {
public:
    LinuxUsbInterface(std::uint8_t number, QByteArray associatedBytes,
                      std::unique_ptr<UsbControlRoute> route)
        : number_(number), associatedBytes_(std::move(associatedBytes)), route_(std::move(route)) {}

    IOReturn open() override { return IOReturnCode::success; }
    IOReturn close() override {
        route_->close();
        return IOReturnCode::success;
    }
    IOReturn interfaceNumber(std::uint8_t& number) override {
        number = number_;
        return IOReturnCode::success;
    }
    QByteArray associatedDescriptorBytes() override { return associatedBytes_; }
    IOReturn controlRequest(UsbDeviceRequest& request) override {
        return route_->controlRequest(request);
    }

private:
    const std::uint8_t number_;
    const QByteArray associatedBytes_;
    const std::unique_ptr<UsbControlRoute> route_;
};

}  // namespace tavrin
