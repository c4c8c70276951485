#include "platform/linux/LinuxDeviceSources.h"

#include "platform/linux/DesktopSession.h"
#include "platform/linux/LinuxV4L2System.h"
#include "platform/linux/V4L2Discovery.h"

namespace tavrin {

LinuxDeviceSources LinuxDeviceSources::thisMachine() {
    return {std::make_shared<LinuxV4L2System>(), thisMachinesXDisplay()};
}

std::optional<QByteArray> LinuxDeviceSources::thisMachinesXDisplay() {
    const auto display = qgetenv("DISPLAY");
    if (isWaylandSession() || display.isEmpty()) {
        return std::nullopt;
    }
    return display;
}

bool LinuxDeviceSources::hasVideoNodes() const {
    return cameraSystem && !V4L2Discovery::videoNodes(*cameraSystem).isEmpty();
}

}  // namespace tavrin
