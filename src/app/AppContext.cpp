#include "app/AppContext.h"

#include "audio/AudioDeviceMuteMonitor.h"
#include "audio/AudioDeviceUsageMonitor.h"

namespace tavrin {

AppContext::AppContext(std::unique_ptr<MainThreadQueue> queue, std::unique_ptr<Platform> platform)
    : queue_(std::move(queue)), eventLog_(*queue_), platform_(std::move(platform)) {}

AppContext::~AppContext() = default;

AudioDeviceUsageMonitor& AppContext::audioUsageMonitor() {
    std::call_once(audioUsageMonitorOnce_, [this] {
        audioUsageMonitor_ = AudioDeviceUsageMonitor::create(platform_->audioHardware());
    });
    return *audioUsageMonitor_;
}

AudioDeviceMuteMonitor& AppContext::audioMuteMonitor() {
    std::call_once(audioMuteMonitorOnce_, [this] {
        audioMuteMonitor_ = AudioDeviceMuteMonitor::create(platform_->audioHardware());
    });
    return *audioMuteMonitor_;
}

}  // namespace tavrin
