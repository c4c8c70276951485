#pragma once

#include <QByteArray>
#include <memory>
#include <optional>

#include "platform/linux/V4L2System.h"

namespace tavrin {

// Where a Linux platform finds its cameras and displays. The machine's own are the kernel's
// video nodes and the X server at $DISPLAY; a fixture or a test names its own, so what it sees
// never depends on the machine it runs on.
struct LinuxDeviceSources {
    // The cameras and USB devices; none for the kernel's.
    std::shared_ptr<V4L2System> cameraSystem;
    // The X server whose displays are listed; absent for none.
    std::optional<QByteArray> xDisplay;

    // The kernel, and the X server at $DISPLAY outside a Wayland session (there the
    // compositor's outputs are none of an X client's business).
    static LinuxDeviceSources thisMachine();
    static std::optional<QByteArray> thisMachinesXDisplay();
    // Whether the camera system has a video node at all.
    bool hasVideoNodes() const;
};

}  // namespace tavrin
