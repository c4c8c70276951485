#pragma once

#include "platform/DeviceFramework.h"

namespace tavrin {

// One device framework made of three backends, one per kind of device: cameras with their
// preview and camera authorization from the first, microphones and their authorization from the
// second, displays from the third. The backends outlive it.
class CompositeDeviceFramework final : public DeviceFramework {
public:
    CompositeDeviceFramework(DeviceFramework& cameras, DeviceFramework& microphones,
                             DeviceFramework& displays)
        : cameras_(cameras), microphones_(microphones), displays_(displays) {}

    Subscription cameraUpdates(bool includeDeskView, DeviceListHandler<SXCamera> handler) override {
        return cameras_.cameraUpdates(includeDeskView, std::move(handler));
    }
    Subscription microphoneUpdates(DeviceListHandler<SXMicrophone> handler) override {
        return microphones_.microphoneUpdates(std::move(handler));
    }
    Subscription displayUpdates(DeviceListHandler<SXDisplay> handler) override {
        return displays_.displayUpdates(std::move(handler));
    }
    SXAuthorizationStatus& authorizationStatus(SXAuthorizationSource source) override {
        return source == SXAuthorizationSource::camera ? cameras_.authorizationStatus(source)
                                                       : microphones_.authorizationStatus(source);
    }
    Subscription startCameraPreview(const CameraPreviewRequest& request,
                                    PreviewFrameHandler onFrame,
                                    PreviewFailureHandler onFailure) override {
        return cameras_.startCameraPreview(request, std::move(onFrame), std::move(onFailure));
    }

private:
    DeviceFramework& cameras_;
    DeviceFramework& microphones_;
    DeviceFramework& displays_;
};

}  // namespace tavrin
