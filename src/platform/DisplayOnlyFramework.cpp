#include "platform/DisplayOnlyFramework.h"

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

template <typename Device>
Subscription emptyList(MainThreadQueue& queue, DeviceListHandler<Device> handler) {
    auto alive = std::make_shared<bool>(true);
    queue.post([alive, handler = std::move(handler)] {
        if (*alive) {
            handler({});
        }
    });
    return Subscription([alive] { *alive = false; });
}

}  // namespace

DisplayOnlyFramework::DisplayOnlyFramework(MainThreadQueue& queue)
    : queue_(queue), authorization_(std::make_unique<NoAuthorization>(queue)) {}

DisplayOnlyFramework::~DisplayOnlyFramework() = default;

Subscription DisplayOnlyFramework::cameraUpdates(bool, DeviceListHandler<SXCamera> handler) {
    return emptyList(queue_, std::move(handler));
}

Subscription DisplayOnlyFramework::microphoneUpdates(DeviceListHandler<SXMicrophone> handler) {
    return emptyList(queue_, std::move(handler));
}

SXAuthorizationStatus& DisplayOnlyFramework::authorizationStatus(SXAuthorizationSource) {
    return *authorization_;
}

Subscription DisplayOnlyFramework::startCameraPreview(const CameraPreviewRequest&,
                                                      PreviewFrameHandler,
                                                      PreviewFailureHandler onFailure) {
    queue_.post([onFailure = std::move(onFailure)] {
        if (onFailure) {
            onFailure(QStringLiteral("No camera backend is available."));
        }
    });
    return {};
}

}  // namespace tavrin
