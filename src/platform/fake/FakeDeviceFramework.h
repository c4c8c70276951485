#pragma once

#include <QSet>

#include "platform/DeviceFramework.h"
#include "platform/fake/FakeAuthorizationStatus.h"
#include "platform/fake/FakeCameraPreviews.h"
#include "platform/fake/FakeDeviceList.h"
#include "runtime/Mutex.h"

namespace tavrin {

// The fake device framework: three device lists that tests change through their mutators, and
// the two authorization statuses.
class FakeDeviceFramework final : public DeviceFramework {
public:
    FakeDeviceFramework(MainThreadQueue& queue, NotificationThread& notifications,
                        bool cameraAuthorized, bool microphoneAuthorized);

    Subscription cameraUpdates(bool includeDeskView, DeviceListHandler<SXCamera> handler) override;
    Subscription microphoneUpdates(DeviceListHandler<SXMicrophone> handler) override;
    Subscription displayUpdates(DeviceListHandler<SXDisplay> handler) override;
    SXAuthorizationStatus& authorizationStatus(SXAuthorizationSource source) override;
    Subscription startCameraPreview(const CameraPreviewRequest& request,
                                    PreviewFrameHandler onFrame,
                                    PreviewFailureHandler onFailure) override;

    FakeDeviceList<SXCamera>& cameras() { return cameras_; }
    FakeDeviceList<SXMicrophone>& microphones() { return microphones_; }
    FakeDeviceList<SXDisplay>& displays() { return displays_; }
    FakeAuthorizationStatus& fakeAuthorization(SXAuthorizationSource source);
    FakeCameraPreviews& previews() { return previews_; }

    // Desk-view cameras are left out of the lists of subscribers that don't include them.
    void setDeskView(const QString& cameraID, bool isDeskView);

private:
    FakeDeviceList<SXCamera> cameras_;
    FakeDeviceList<SXMicrophone> microphones_;
    FakeDeviceList<SXDisplay> displays_;
    FakeAuthorizationStatus cameraAuthorization_;
    FakeAuthorizationStatus microphoneAuthorization_;
    Mutex<QSet<QString>> deskViewIDs_;
    FakeCameraPreviews previews_;
};

}  // namespace tavrin
