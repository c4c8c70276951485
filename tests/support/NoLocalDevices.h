#pragma once

#include "platform/fake/FakeV4L2System.h"
#include "platform/linux/LinuxDeviceSources.h"

namespace tavrin::testing {

// No video node and no X server, whatever the machine running the test has: a Linux platform
// over these has only its sound server's devices.
inline LinuxDeviceSources noLocalDevices() {
    return {std::make_shared<FakeV4L2System>(QList<FakeV4L2NodeSpec>()), std::nullopt};
}

}  // namespace tavrin::testing
