#pragma once

#include <memory>
#include <mutex>

#include "catalogue/DeviceEventLog.h"
#include "platform/Platform.h"
#include "runtime/MainThreadQueue.h"

namespace tavrin {

class AudioDeviceUsageMonitor;
class AudioDeviceMuteMonitor;
class CMIODeviceUsageMonitor;
class VideoEffectsObserver;
class DeviceStore;

// The process-wide objects: the main-thread queue, the platform's services and everything the
// devices share (the event log now; the monitors and the device store come with their
// subsystems). The application makes one; every test makes its own.
class AppContext {
public:
    // `platform` must have been made with `queue`.
    AppContext(std::unique_ptr<MainThreadQueue> queue, std::unique_ptr<Platform> platform);
    ~AppContext();
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    MainThreadQueue& queue() { return *queue_; }
    Platform& platform() { return *platform_; }
    DeviceEventLog& eventLog() { return eventLog_; }
    // The process-wide audio monitors, made on first use from any thread.
    AudioDeviceUsageMonitor& audioUsageMonitor();
    AudioDeviceMuteMonitor& audioMuteMonitor();
    CMIODeviceUsageMonitor& cameraUsageMonitor();
    // The system-wide video effect settings; main thread.
    VideoEffectsObserver& videoEffects();
    // The device store, made on first use (which starts following the device lists); main thread.
    DeviceStore& deviceStore();

private:
    // Destroyed in reverse: whatever holds platform registrations goes first, then the platform
    // stops its callbacks, then the log, and the queue last, without running what is left in it.
    std::unique_ptr<MainThreadQueue> queue_;
    DeviceEventLog eventLog_;
    std::unique_ptr<Platform> platform_;
    std::once_flag audioUsageMonitorOnce_;
    std::shared_ptr<AudioDeviceUsageMonitor> audioUsageMonitor_;
    std::once_flag audioMuteMonitorOnce_;
    std::shared_ptr<AudioDeviceMuteMonitor> audioMuteMonitor_;
    std::once_flag cameraUsageMonitorOnce_;
    std::shared_ptr<CMIODeviceUsageMonitor> cameraUsageMonitor_;
    std::unique_ptr<VideoEffectsObserver> videoEffects_;
    std::unique_ptr<DeviceStore> deviceStore_;
};

}  // namespace tavrin
