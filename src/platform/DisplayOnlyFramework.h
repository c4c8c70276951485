#pragma once

#include <memory>

#include "platform/DeviceFramework.h"
#include "runtime/MainThreadQueue.h"

namespace tavrin {

// The part of a device framework that a display backend doesn't have: no cameras, no
// microphones, no access to either and no preview. The composite framework never asks a display
// backend for them; these answers keep the backend a complete framework all the same.
class DisplayOnlyFramework : public DeviceFramework {
public:
    explicit DisplayOnlyFramework(MainThreadQueue& queue);
    ~DisplayOnlyFramework() override;

    Subscription cameraUpdates(bool includeDeskView, DeviceListHandler<SXCamera> handler) override;
    Subscription microphoneUpdates(DeviceListHandler<SXMicrophone> handler) override;
    SXAuthorizationStatus& authorizationStatus(SXAuthorizationSource source) override;
    Subscription startCameraPreview(const CameraPreviewRequest& request,
                                    PreviewFrameHandler onFrame,
                                    PreviewFailureHandler onFailure) override;

protected:
    MainThreadQueue& queue_;

private:
    std::unique_ptr<SXAuthorizationStatus> authorization_;
};

}  // namespace tavrin
