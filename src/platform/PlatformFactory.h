#pragma once

#include <memory>

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

}  // namespace tavrin
