#include "app/AppContext.h"

#include "audio/AudioDeviceMuteMonitor.h"
#include "audio/AudioDeviceUsageMonitor.h"
#include "camera/CMIODeviceUsageMonitor.h"
#include "camera/VideoEffectsObserver.h"
#include "catalogue/DeviceStore.h"

namespace tavrin {

AppContext::AppContext(std::unique_ptr<MainThreadQueue> queue, std::unique_ptr<Platform> platform)
    : queue_(std::move(queue)), eventLog_(*queue_), platform_(std::move(platform)) {}

// The store's models hold subscriptions to the monitors and the platform, so they go first.
AppContext::~AppContext() {
    deviceStore_.reset();
}

DeviceStore& AppContext::deviceStore() {
    if (!deviceStore_) {
        deviceStore_ = std::make_unique<DeviceStore>(*this);
    }
    return *deviceStore_;
}

AudioDeviceUsageMonitor& AppContext::audioUsageMonitor() {
    std::call_once(audioUsageMonitorOnce_, [this] {
        audioUsageMonitor_ = AudioDeviceUsageMonitor::create(platform_->audioHardware());
    });
    return *audioUsageMonitor_;
}

CMIODeviceUsageMonitor& AppContext::cameraUsageMonitor() {
    std::call_once(cameraUsageMonitorOnce_, [this] {
        cameraUsageMonitor_ = CMIODeviceUsageMonitor::create(platform_->mediaIO());
    });
    return *cameraUsageMonitor_;
}

VideoEffectsObserver& AppContext::videoEffects() {
    if (!videoEffects_) {
        videoEffects_ =
            std::make_unique<VideoEffectsObserver>(*queue_, platform_->captureDevices());
    }
    return *videoEffects_;
}

AudioDeviceMuteMonitor& AppContext::audioMuteMonitor() {
    std::call_once(audioMuteMonitorOnce_, [this] {
        audioMuteMonitor_ = AudioDeviceMuteMonitor::create(platform_->audioHardware());
    });
    return *audioMuteMonitor_;
}

}  // namespace tavrin
