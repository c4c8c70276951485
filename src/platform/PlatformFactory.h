#pragma once

#include <memory>

#include <QString>

#include "platform/Platform.h"
#include "runtime/MainThreadQueue.h"

namespace tavrin {

enum class PlatformChoice {
    automatic,    // the Linux platform when a sound server answers or a camera node exists,
                  // else the demo
    demo,         // the fake platform with the built-in demo fixture and its scenario
    soundServer,  // the Linux platform, or none when there is neither a server nor a camera
};

// Chooses the backend once, at start. Absent only when `soundServer` was asked for and the machine
// has neither a sound server that answers nor a video node.
std::unique_ptr<Platform> createPlatform(MainThreadQueue& queue,
                                         PlatformChoice choice = PlatformChoice::automatic);

// This computer's platform, but with the cameras and their USB side taken from a V4L2 fixture
// file (tests/fixtures/uvc-webcams.json, say) instead of the kernel: for developing and
// reproducing camera and UVC behaviour without the hardware. Absent, with `error` set, when the
// file can't be read.
std::unique_ptr<Platform> createPlatformWithCameraFixture(MainThreadQueue& queue,
                                                          const QString& path, QString* error);

}  // namespace tavrin
