#pragma once

#include "catalogue/CaptureSourceDevice.h"

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

private:
    CameraDevice(AppContext& context, std::shared_ptr<SXCamera> camera);
};

}  // namespace tavrin
