#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/linux/UsbConfigurationDescriptors.h"
#include "platform/linux/UsbControlNode.h"
#include "platform/linux/UsbControlRoute.h"
#include "platform/linux/UvcV4L2Mapping.h"
#include "platform/linux/V4L2System.h"

namespace tavrin {

// Answers USB Video Class control requests while uvcvideo owns the interface: camera terminal
// and processing unit requests become the V4L2 control calls the driver maps them to, extension
// unit requests go through the driver's extension-unit query. Values travel exactly as the device
// would send them, so the caller's decoding doesn't know the difference. A request with no
// mapping stalls, as a device that lacks the control would. Once the node reports the device
// gone, the bridge closes it and answers noDevice without touching it again.
class UvcV4L2Bridge final : public UsbControlRoute {
public:
    // A descriptor of our own camera handle of the node, or -errno when we have none.
    using OwnHandle = std::function<int()>;

    // Takes over `fd`, an open capture node of the interface's device: a descriptor of our own
    // camera handle when `onOwnHandle`. Otherwise a change the driver refuses as busy is tried
    // once more on `ownHandle`, which may have come since (the lock we hold is that handle's).
    UvcV4L2Bridge(std::shared_ptr<V4L2System> system, int fd, QString nodePath,
                  std::uint8_t interfaceNumber, VideoControlUnits units, bool onOwnHandle = false,
                  OwnHandle ownHandle = {});

    IOReturn controlRequest(UsbDeviceRequest& request) override;
    void close() override;

private:
    IOReturn mappedRequest(const UvcV4L2Control& control, UsbDeviceRequest& request);
    IOReturn extensionUnitRequest(std::uint8_t unit, std::uint8_t selector,
                                  UsbDeviceRequest& request);
    // Writes `value` into the request's bytes, or reports that it doesn't fit.
    IOReturn answer(const UvcV4L2Control& control, std::int64_t value, UsbDeviceRequest& request);
    // Moves to our own camera handle if not on it yet; whether it did.
    bool adoptOwnHandle();

    std::mutex mutex_;
    UsbControlNode node_;
    const std::uint8_t interfaceNumber_;
    const VideoControlUnits units_;
    bool onOwnHandle_;
    const OwnHandle ownHandle_;
};

}  // namespace tavrin
