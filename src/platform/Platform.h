#pragma once

#include "platform/AudioCaptureService.h"
#include "platform/CaptureDeviceService.h"
#include "platform/DeviceFramework.h"
#include "platform/DisplayServices.h"
#include "platform/ObjectPropertyService.h"
#include "platform/ProcessNameService.h"
#include "platform/SymbolCatalog.h"
#include "platform/UsbService.h"

#include <memory>

namespace tavrin {

// Every OS service the application uses, from one backend chosen at start.
class Platform {
public:
    virtual ~Platform() = default;

    virtual DeviceFramework& deviceFramework() = 0;
    virtual CaptureDeviceService& captureDevices() = 0;
    virtual const SymbolCatalog& symbols() const = 0;
    virtual ObjectPropertyService& audioHardware() = 0;
    virtual ProcessNameService& processNames() = 0;
    // Shared: a camera's UVC thread may still be opening a controller while the platform goes.
    virtual std::shared_ptr<UsbService> usb() = 0;
    virtual ObjectPropertyService& mediaIO() = 0;
    virtual AudioCaptureService& audioCapture() = 0;
    virtual DisplayServices& displayServices() = 0;
};

}  // namespace tavrin
