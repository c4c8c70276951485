#pragma once

#include "platform/UsbService.h"

namespace tavrin {

// How an opened video-control interface reaches its device: through the uvcvideo driver's V4L2
// node, or with raw control transfers when no driver holds the interface. One controller's
// worker thread uses a route at a time, but several cameras' threads run at once: a route keeps
// its own state behind its own lock.
class UsbControlRoute {
public:
    virtual ~UsbControlRoute() = default;

    virtual IOReturn controlRequest(UsbDeviceRequest& request) = 0;
    // Gives the node back; later requests answer notOpen.
    virtual void close() = 0;
};

}  // namespace tavrin
