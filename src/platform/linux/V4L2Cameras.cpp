#include "platform/linux/V4L2Cameras.h"

namespace tavrin {

V4L2Cameras::V4L2Cameras(MainThreadQueue& queue, std::shared_ptr<V4L2System> system,
                         std::int32_t ownPID)
    : system_(std::move(system)),
      monitor_(*system_, ownPID),
      mediaIO_(monitor_),
      framework_(queue, monitor_),
      captureDevices_(monitor_) {
    monitor_.addPassHandler([handles = ownHandles_](const V4L2CameraMonitor::Cameras& cameras) {
        handles->update(cameras);
    });
}

V4L2Cameras::~V4L2Cameras() {
    // No pass may reach the services below while they go.
    monitor_.stop();
}

void V4L2Cameras::start(std::chrono::milliseconds firstPassTimeout) {
    monitor_.start();
    if (firstPassTimeout.count() > 0) {
        monitor_.waitForFirstPass(firstPassTimeout);
    }
}

}  // namespace tavrin
