#pragma once

#include <memory>

#include "platform/Platform.h"
#include "runtime/MainThreadQueue.h"

namespace tavrin {

enum class PlatformChoice {
    automatic,    // the sound server's platform when a server answers, else the demo
    demo,         // the fake platform with the built-in demo fixture and its scenario
    soundServer,  // the sound server's platform, or none when no server answers
};

// Chooses the backend once, at start. Absent only when `soundServer` was asked for and no server
// answered.
std::unique_ptr<Platform> createPlatform(MainThreadQueue& queue,
                                         PlatformChoice choice = PlatformChoice::automatic);

}  // namespace tavrin
