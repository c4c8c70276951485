#include "audio/AudioDeviceUsageMonitor.h"

#include "audio/AudioDeviceLookup.h"
#include "platform/AudioHardware.h"

namespace tavrin {

AudioDeviceUsageMonitor::AudioDeviceUsageMonitor(ObjectPropertyService& hardware)
    : DevicePropertyMonitor(hardware, Addresses{globalAddress(AudioSelector::devices),
                                                globalAddress(AudioSelector::deviceUID),
                                                globalAddress(AudioSelector::isRunningSomewhere)}) {
}

std::shared_ptr<AudioDeviceUsageMonitor> AudioDeviceUsageMonitor::create(
    ObjectPropertyService& hardware) {
    std::shared_ptr<AudioDeviceUsageMonitor> monitor(new AudioDeviceUsageMonitor(hardware));
    monitor->start();
    return monitor;
}

bool AudioDeviceUsageMonitor::isRunningSomewhere(const QString& uid) {
    const auto device = audioDeviceID(service_, uid);
    return device && readValue(*device);
}

bool AudioDeviceUsageMonitor::follows(ObjectID) {
    return true;
}

bool AudioDeviceUsageMonitor::readValue(ObjectID device) {
    return readProperty<std::uint32_t>(service_, device,
                                       globalAddress(AudioSelector::isRunningSomewhere)) == 1u;
}

}  // namespace tavrin
