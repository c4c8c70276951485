#include "catalogue/CameraDiscovery.h"

#include "app/AppContext.h"
#include "camera/CameraDevice.h"
#include "catalogue/DeviceListUpdate.h"

namespace tavrin {

CameraDiscovery::CameraDiscovery(AppContext& context, bool includeDeskView) : context_(context) {
    updateTask_ = context.platform().deviceFramework().cameraUpdates(
        includeDeskView, [this](const DeviceList<SXCamera>& list) {
            auto updated = updatedCaptureList(context_, idMap_, cameras_, list);
            if (updated != cameras_) {
                cameras_ = std::move(updated);
                emit camerasChanged();
            }
        });
}

}  // namespace tavrin
