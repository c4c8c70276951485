#include "audio/AudioDeviceMuteMonitor.h"

#include "audio/AudioDeviceLookup.h"
#include "platform/AudioHardware.h"

namespace tavrin {

namespace {

constexpr PropertyAddress muteAddress = inputAddress(AudioSelector::mute);

}  // namespace

AudioDeviceMuteMonitor::AudioDeviceMuteMonitor(ObjectPropertyService& hardware)
    : DevicePropertyMonitor(hardware,
                            Addresses{globalAddress(AudioSelector::devices),
                                      globalAddress(AudioSelector::deviceUID), muteAddress}) {}

std::shared_ptr<AudioDeviceMuteMonitor> AudioDeviceMuteMonitor::create(
    ObjectPropertyService& hardware) {
    std::shared_ptr<AudioDeviceMuteMonitor> monitor(new AudioDeviceMuteMonitor(hardware));
    monitor->start();
    return monitor;
}

std::optional<ObjectID> AudioDeviceMuteMonitor::deviceID(const QString& uid) {
    return audioDeviceID(service_, uid);
}

bool AudioDeviceMuteMonitor::isMuted(const QString& uid) {
    const auto device = deviceID(uid);
    return device && readValue(*device);
}

bool AudioDeviceMuteMonitor::isMuteSettable(const QString& uid) {
    const auto device = deviceID(uid);
    if (!device || !service_.hasProperty(*device, muteAddress)) {
        return false;
    }
    bool settable = false;
    return service_.isPropertySettable(*device, muteAddress, settable) == OSStatusCode::noError &&
           settable;
}

bool AudioDeviceMuteMonitor::follows(ObjectID device) {
    return service_.hasProperty(device, muteAddress);
}

bool AudioDeviceMuteMonitor::readValue(ObjectID device) {
    return service_.hasProperty(device, muteAddress) &&
           readProperty<std::uint32_t>(service_, device, muteAddress) == 1u;
}

}  // namespace tavrin
