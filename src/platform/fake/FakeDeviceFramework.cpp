#include "platform/fake/FakeDeviceFramework.h"

namespace tavrin {

FakeDeviceFramework::FakeDeviceFramework(MainThreadQueue& queue, NotificationThread& notifications,
                                         bool cameraAuthorized, bool microphoneAuthorized)
    : cameras_(queue, notifications),
      microphones_(queue, notifications),
      displays_(queue, notifications),
      cameraAuthorization_(cameraAuthorized, queue, notifications),
      microphoneAuthorization_(microphoneAuthorized, queue, notifications),
      previews_(queue) {}

Subscription FakeDeviceFramework::cameraUpdates(bool includeDeskView,
                                                DeviceListHandler<SXCamera> handler) {
    FakeDeviceList<SXCamera>::Filter filter;
    if (!includeDeskView) {
        filter = [ids = deskViewIDs_](const SXCamera& camera) {
            return !ids.withLock(
                [&](const QSet<QString>& set) { return set.contains(camera.id()); });
        };
    }
    return cameras_.subscribe(std::move(handler), std::move(filter));
}

Subscription FakeDeviceFramework::microphoneUpdates(DeviceListHandler<SXMicrophone> handler) {
    return microphones_.subscribe(std::move(handler));
}

Subscription FakeDeviceFramework::displayUpdates(DeviceListHandler<SXDisplay> handler) {
    return displays_.subscribe(std::move(handler));
}

SXAuthorizationStatus& FakeDeviceFramework::authorizationStatus(SXAuthorizationSource source) {
    return fakeAuthorization(source);
}

Subscription FakeDeviceFramework::startCameraPreview(const CameraPreviewRequest& request,
                                                     PreviewFrameHandler onFrame,
                                                     PreviewFailureHandler onFailure) {
    return previews_.start(request, std::move(onFrame), std::move(onFailure));
}

FakeAuthorizationStatus& FakeDeviceFramework::fakeAuthorization(SXAuthorizationSource source) {
    return source == SXAuthorizationSource::camera ? cameraAuthorization_
                                                   : microphoneAuthorization_;
}

void FakeDeviceFramework::setDeskView(const QString& cameraID, bool isDeskView) {
    deskViewIDs_.withLock([&](QSet<QString>& ids) {
        if (isDeskView) {
            ids.insert(cameraID);
        } else {
            ids.remove(cameraID);
        }
    });
}

}  // namespace tavrin
