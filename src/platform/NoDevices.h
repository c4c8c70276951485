#pragma once

#include <memory>

#include "platform/DeviceFramework.h"
#include "runtime/MainThreadQueue.h"

namespace tavrin {

// What a backend that has no devices of a kind answers: one empty list, on the main thread,
// unless the subscription ended first.
template <typename Device>
Subscription emptyDeviceList(MainThreadQueue& queue, DeviceListHandler<Device> handler) {
    auto alive = std::make_shared<bool>(true);
    queue.post([alive, handler = std::move(handler)] {
        if (*alive) {
            handler({});
        }
    });
    return Subscription([alive] { *alive = false; });
}

// What a backend without cameras answers a preview: the failure, on the main thread.
inline Subscription noCameraPreview(MainThreadQueue& queue, PreviewFailureHandler onFailure) {
    queue.post([onFailure = std::move(onFailure)] {
        if (onFailure) {
            onFailure(QStringLiteral("No camera backend is available."));
        }
    });
    return {};
}

}  // namespace tavrin
