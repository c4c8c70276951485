#pragma once

#include <memory>

#include "platform/CompositeDeviceFramework.h"
#include "platform/Platform.h"
#include "platform/qscreen/QScreenDisplays.h"

namespace tavrin {

// Another platform whose displays are Qt's screens, read-only: what a Wayland session can offer.
// Everything else is the wrapped platform's.
class WaylandDisplayPlatform final : public Platform {
public:
    WaylandDisplayPlatform(MainThreadQueue& queue, std::unique_ptr<Platform> platform)
        : platform_(std::move(platform)),
          displays_(queue),
          framework_(platform_->deviceFramework(), platform_->deviceFramework(), displays_) {}

    DeviceFramework& deviceFramework() override { return framework_; }
    CaptureDeviceService& captureDevices() override { return platform_->captureDevices(); }
    const SymbolCatalog& symbols() const override { return platform_->symbols(); }
    ObjectPropertyService& audioHardware() override { return platform_->audioHardware(); }
    ProcessNameService& processNames() override { return platform_->processNames(); }
    std::shared_ptr<UsbService> usb() override { return platform_->usb(); }
    ObjectPropertyService& mediaIO() override { return platform_->mediaIO(); }
    AudioCaptureService& audioCapture() override { return platform_->audioCapture(); }
    DisplayServices& displayServices() override { return displays_; }

private:
    std::unique_ptr<Platform> platform_;
    QScreenDisplays displays_;
    CompositeDeviceFramework framework_;
};

}  // namespace tavrin
