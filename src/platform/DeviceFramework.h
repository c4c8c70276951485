#pragma once

#include <QList>
#include <functional>
#include <memory>

#include "platform/CameraPreview.h"
#include "platform/SXAuthorizationStatus.h"
#include "platform/SXCaptureSource.h"
#include "platform/SXDisplay.h"
#include "runtime/Subscription.h"

namespace tavrin {

template <typename Device>
using DeviceList = QList<std::shared_ptr<Device>>;

template <typename Device>
using DeviceListHandler = std::function<void(const DeviceList<Device>&)>;

// The device framework: complete device lists of each kind and the capture authorization.
// Every handler is called on the main thread: first with the current list, then with the new
// complete list after every change, in order, until the subscription ends.
class DeviceFramework {
public:
    virtual ~DeviceFramework() = default;

    [[nodiscard]] virtual Subscription cameraUpdates(bool includeDeskView,
                                                     DeviceListHandler<SXCamera> handler) = 0;
    [[nodiscard]] virtual Subscription microphoneUpdates(
        DeviceListHandler<SXMicrophone> handler) = 0;
    [[nodiscard]] virtual Subscription displayUpdates(DeviceListHandler<SXDisplay> handler) = 0;

    virtual SXAuthorizationStatus& authorizationStatus(SXAuthorizationSource source) = 0;

    // Starts a live picture of a camera. Frames come to `onFrame` on the main thread, latest
    // wins, until the subscription ends; a stream that cannot start or stops on its own is told
    // to `onFailure` once. Previews of one camera share its stream, which is released when the
    // last of them ends.
    [[nodiscard]] virtual Subscription startCameraPreview(const CameraPreviewRequest& request,
                                                          PreviewFrameHandler onFrame,
                                                          PreviewFailureHandler onFailure) = 0;
};

}  // namespace tavrin
