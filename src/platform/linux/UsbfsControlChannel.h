#pragma once

#include <QString>
#include <memory>
#include <mutex>

#include "platform/linux/UsbControlNode.h"
#include "platform/linux/UsbControlRoute.h"
#include "platform/linux/V4L2System.h"

namespace tavrin {

// Raw control transfers on a USB device node (/dev/bus/usb/BBB/DDD) for an interface that no
// kernel driver holds: the interface is claimed on opening and released on closing. These are
// the same kernel calls a USB library makes on Linux, made through our seam so that the fake
// device answers them too.
class UsbfsControlChannel final : public UsbControlRoute {
public:
    // The kernel needs a bound on every transfer; a hung device fails after this long.
    static constexpr unsigned int transferTimeoutMs = 5000;

    // Opens the node and claims the interface; absent with `status` set (and its line printed)
    // when either fails.
    static std::unique_ptr<UsbfsControlChannel> open(std::shared_ptr<V4L2System> system,
                                                     const QString& nodePath,
                                                     std::uint8_t interfaceNumber,
                                                     IOReturn& status);
    ~UsbfsControlChannel() override;
    UsbfsControlChannel(const UsbfsControlChannel&) = delete;
    UsbfsControlChannel& operator=(const UsbfsControlChannel&) = delete;

    IOReturn controlRequest(UsbDeviceRequest& request) override;
    void close() override;

private:
    UsbfsControlChannel(std::shared_ptr<V4L2System> system, int fd, QString nodePath,
                        std::uint8_t interfaceNumber);
    void release();

    std::mutex mutex_;
    UsbControlNode node_;
    const std::uint8_t interfaceNumber_;
};

}  // namespace tavrin
