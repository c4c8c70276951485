#pragma once

#include <memory>

#include "platform/Platform.h"
#include "runtime/MainThreadQueue.h"

namespace tavrin {

// Chooses the backend once, at start. Today that is the fake platform with the built-in demo
// fixture, its scenario running on the queue's clock.
std::unique_ptr<Platform> createPlatform(MainThreadQueue& queue);

}  // namespace tavrin
