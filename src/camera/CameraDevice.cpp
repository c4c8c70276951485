#include "camera/CameraDevice.h"

#include "app/AppContext.h"
#include "catalogue/ChangeMessage.h"
#include "catalogue/DeviceEntry.h"
#include "catalogue/EventSource.h"
#include "runtime/TextFormat.h"

namespace tavrin {

CameraDevice::CameraDevice(AppContext& context, std::shared_ptr<SXCamera> camera)
    : CaptureSourceDevice(context, std::move(camera)) {}

std::shared_ptr<CameraDevice> CameraDevice::create(AppContext& context,
                                                   std::shared_ptr<SXCamera> camera) {
    std::shared_ptr<CameraDevice> device(new CameraDevice(context, camera));
    device->subscribe(camera);
    // The format and frame-rate parts stay absent until the camera follows its capture device.
    QStringList parts{absentText(), absentText(), device->usagePart()};
    parts += device->captureDeviceDiscoveryParts();
    device->recordEvent(discoveryMessage(device->localizedName(), parts), EventSource::discovery);
    return device;
}

DeviceEntry CameraDevice::entry() {
    return DeviceEntry(shared_from_this());
}

std::shared_ptr<SXCamera> CameraDevice::sxCamera() const {
    return std::static_pointer_cast<SXCamera>(sourceObject());
}

void CameraDevice::update(const std::shared_ptr<SXCamera>& camera) {
    adopt(camera);
}

UVCController* CameraDevice::uvcController() {
    if (!uvcController_) {
        std::unique_ptr<UVCController> controller;
        if (avDevice()) {
            controller = UVCController::open(context_.platform().usb(), avDevice()->uniqueID());
        }
        if (controller && !controller->isOpen()) {
            controller.reset();
        }
        uvcController_ = std::move(controller);
    }
    return uvcController_->get();
}

}  // namespace tavrin
