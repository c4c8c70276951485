#pragma once

#include <functional>

#include "runtime/Published.h"

namespace tavrin {

enum class SXAuthorizationSource { camera, microphone };

// Whether the application may capture from a source, as the device framework tells it. The value
// is published on the main thread and changes when the user grants or revokes access.
class SXAuthorizationStatus {
public:
    explicit SXAuthorizationStatus(bool authorized) : isAuthorized(authorized) {}
    virtual ~SXAuthorizationStatus() = default;

    Published<bool> isAuthorized;

    // Asks the user for access, possibly in the system's privacy settings. The completion, if any,
    // is called later on the main thread with the answer.
    virtual void requestAccess(bool openSystemSettings, std::function<void(bool)> completion) = 0;
};

}  // namespace tavrin
