#pragma once

#include <optional>

#include "catalogue/CaptureSourceDevice.h"
#include "uvc/UVCController.h"

namespace tavrin {

// The model of one camera, kept by the camera discovery for the whole run. It follows the
// framework camera's published values and the usage of the capture device of the same ID.
class CameraDevice final : public CaptureSourceDevice,
                           public std::enable_shared_from_this<CameraDevice> {
    Q_OBJECT
public:
    // Creates the model from a framework camera and records its "Discovered" event.
    static std::shared_ptr<CameraDevice> create(AppContext& context,
                                                std::shared_ptr<SXCamera> camera);

    DeviceEntry entry() override;

    std::shared_ptr<SXCamera> sxCamera() const;
    // Adopts a newer framework object for the same camera.
    void update(const std::shared_ptr<SXCamera>& camera);

    // The camera's UVC controller, opened on first use from the capture device's unique ID and
    // kept, present or absent, for the life of the camera: opening is never retried.
    UVCController* uvcController();

private:
    CameraDevice(AppContext& context, std::shared_ptr<SXCamera> camera);

    std::optional<std::unique_ptr<UVCController>> uvcController_;
};

}  // namespace tavrin
