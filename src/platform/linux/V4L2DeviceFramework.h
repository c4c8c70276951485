#pragma once

#include <map>
#include <memory>

#include "platform/DeviceFramework.h"
#include "platform/linux/V4L2CameraMonitor.h"
#include "runtime/MainThreadQueue.h"

namespace tavrin {

// The device framework's cameras over V4L2: a camera for each camera the monitor lists, in node
// order. `localizedName`, `manufacturer`, `modelID` and `isVirtual` are discovery's; a camera is
// `available` while listed. The same object stays in the list while its node stays. Camera access
// is authorized when every listed camera's node opens for reading and writing; the request can't
// grant it, and says what to change. Previews stream from the camera's own handle.
//
// Microphones and displays come from other backends: their lists here are empty.
class V4L2DeviceFramework final : public DeviceFramework {
public:
    V4L2DeviceFramework(MainThreadQueue& queue, V4L2CameraMonitor& monitor);
    ~V4L2DeviceFramework() override;

    Subscription cameraUpdates(bool includeDeskView, DeviceListHandler<SXCamera> handler) override;
    Subscription microphoneUpdates(DeviceListHandler<SXMicrophone> handler) override;
    Subscription displayUpdates(DeviceListHandler<SXDisplay> handler) override;
    SXAuthorizationStatus& authorizationStatus(SXAuthorizationSource source) override;
    Subscription startCameraPreview(const CameraPreviewRequest& request,
                                    PreviewFrameHandler onFrame,
                                    PreviewFailureHandler onFailure) override;

    static inline const QString accessText = QStringLiteral(
        "Tavrin may not open a camera's device node. Camera nodes belong to the \"video\" group: "
        "add your user to it (sudo usermod -aG video $USER), then log out and in again.");

private:
    struct Cameras;
    class Authorization;

    MainThreadQueue& queue_;
    V4L2CameraMonitor& monitor_;
    std::shared_ptr<Cameras> cameras_;
    std::unique_ptr<Authorization> authorization_;
};

}  // namespace tavrin
