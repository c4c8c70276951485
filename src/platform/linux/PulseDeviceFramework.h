#pragma once

#include <map>
#include <memory>

#include "platform/DeviceFramework.h"
#include "platform/linux/PulseConnection.h"
#include "runtime/MainThreadQueue.h"

namespace tavrin {

// The device framework over the sound server: a microphone for every source that is not the
// monitor of a sink, in the server's order. Its `id` is the source name, `localizedName` the
// source's description, `manufacturer` and `modelID` the device's vendor and product names (empty
// when absent), `isVirtual` when no hardware device is behind it, and it is `available` while
// listed (a source that goes leaves the list). The same object stays in the list while the
// source stays; a source that comes back is a new object. Access to microphones is granted.
//
// This backend knows no cameras and no displays yet: their lists are empty.
class PulseDeviceFramework final : public DeviceFramework {
public:
    PulseDeviceFramework(MainThreadQueue& queue, PulseConnection& connection);
    ~PulseDeviceFramework() override;

    Subscription cameraUpdates(bool includeDeskView, DeviceListHandler<SXCamera> handler) override;
    Subscription microphoneUpdates(DeviceListHandler<SXMicrophone> handler) override;
    Subscription displayUpdates(DeviceListHandler<SXDisplay> handler) override;
    SXAuthorizationStatus& authorizationStatus(SXAuthorizationSource source) override;
    Subscription startCameraPreview(const CameraPreviewRequest& request,
                                    PreviewFrameHandler onFrame,
                                    PreviewFailureHandler onFailure) override;

private:
    struct Microphones;

    MainThreadQueue& queue_;
    std::shared_ptr<Microphones> microphones_;
    std::unique_ptr<SXAuthorizationStatus> authorization_;
};

}  // namespace tavrin
