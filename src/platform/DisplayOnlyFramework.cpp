#include "platform/DisplayOnlyFramework.h"

#include "platform/NoDevices.h"

namespace tavrin {

namespace {

class NoAuthorization final : public SXAuthorizationStatus {
public:
    explicit NoAuthorization(MainThreadQueue& queue)
        : SXAuthorizationStatus(false), queue_(queue) {}
    void requestAccess(bool, std::function<void(bool)> completion) override {
        if (completion) {
            queue_.post([completion = std::move(completion)] { completion(false); });
        }
    }

private:
    MainThreadQueue& queue_;
};

}  // namespace

DisplayOnlyFramework::DisplayOnlyFramework(MainThreadQueue& queue)
    : queue_(queue), authorization_(std::make_unique<NoAuthorization>(queue)) {}

DisplayOnlyFramework::~DisplayOnlyFramework() = default;

Subscription DisplayOnlyFramework::cameraUpdates(bool, DeviceListHandler<SXCamera> handler) {
    return emptyDeviceList(queue_, std::move(handler));
}

Subscription DisplayOnlyFramework::microphoneUpdates(DeviceListHandler<SXMicrophone> handler) {
    return emptyDeviceList(queue_, std::move(handler));
}

SXAuthorizationStatus& DisplayOnlyFramework::authorizationStatus(SXAuthorizationSource) {
    return *authorization_;
}

Subscription DisplayOnlyFramework::startCameraPreview(const CameraPreviewRequest&,
                                                      PreviewFrameHandler,
                                                      PreviewFailureHandler onFailure) {
    return noCameraPreview(queue_, std::move(onFailure));
}

}  // namespace tavrin
