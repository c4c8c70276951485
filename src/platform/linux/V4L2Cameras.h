#pragma once

#include <memory>

#include "platform/CaptureDeviceService.h"
#include "platform/linux/V4L2CameraMonitor.h"
#include "platform/linux/V4L2DeviceFramework.h"
#include "platform/linux/V4L2MediaIO.h"
#include "platform/linux/V4L2OwnHandles.h"
#include "platform/linux/V4L2System.h"

namespace tavrin {

// The capture service's cameras over V4L2: each listed camera's capture device by its unique
// ID. Video effects and the preferred cameras have no Linux counterpart: they are unsupported
// and absent, and setting them does nothing.
class V4L2CaptureDeviceService final : public CaptureDeviceService {
public:
    explicit V4L2CaptureDeviceService(V4L2CameraMonitor& monitor) : monitor_(monitor) {}

    std::shared_ptr<CaptureDevice> deviceWithUniqueID(const QString& uniqueID) override {
        return monitor_.camera(uniqueID);
    }
    bool supportsBackgroundReplacement() const override { return false; }
    VideoEffectSettings videoEffectSettings() const override { return {}; }
    Subscription observeVideoEffect(const QString&, std::function<void()>) override { return {}; }
    bool supportsPreferredCameras() const override { return false; }
    std::optional<QString> userPreferredCamera() const override { return std::nullopt; }
    std::optional<QString> systemPreferredCamera() const override { return std::nullopt; }
    void setCenterStageControlMode(CenterStageControlMode) override {}
    void setCenterStageEnabled(bool) override {}
    void setUserPreferredCamera(const QString&) override {}

private:
    V4L2CameraMonitor& monitor_;
};

// Every service the cameras give, over one system-call seam: the monitor, the device framework's
// cameras, the capture devices and media I/O.
class V4L2Cameras {
public:
    V4L2Cameras(MainThreadQueue& queue, std::shared_ptr<V4L2System> system, std::int32_t ownPID);
    ~V4L2Cameras();

    // Starts discovery. With `firstPassTimeout`, waits (off the event loop, at start) until the
    // first pass listed what there is.
    void start(std::chrono::milliseconds firstPassTimeout = {});

    V4L2System& system() { return *system_; }
    // For what must outlive the cameras: the USB service's objects live on in their controllers.
    const std::shared_ptr<V4L2System>& sharedSystem() const { return system_; }
    V4L2CameraMonitor& monitor() { return monitor_; }
    // Shared for the same reason as the system.
    const std::shared_ptr<V4L2OwnHandles>& ownHandles() const { return ownHandles_; }
    DeviceFramework& deviceFramework() { return framework_; }
    CaptureDeviceService& captureDevices() { return captureDevices_; }
    ObjectPropertyService& mediaIO() { return mediaIO_; }

private:
    std::shared_ptr<V4L2System> system_;
    V4L2CameraMonitor monitor_;
    std::shared_ptr<V4L2OwnHandles> ownHandles_ = std::make_shared<V4L2OwnHandles>();
    V4L2MediaIO mediaIO_;
    V4L2DeviceFramework framework_;
    V4L2CaptureDeviceService captureDevices_;
};

}  // namespace tavrin
