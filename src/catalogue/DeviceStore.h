#pragma once

#include <QUuid>
#include <memory>
#include <optional>
#include <vector>

#include "catalogue/CameraDiscovery.h"
#include "catalogue/DeviceEntry.h"
#include "catalogue/MicrophoneDiscovery.h"
#include "display/DisplayDiscovery.h"

namespace tavrin {

class DeviceEventLog;

// The root of the device model: one discovery per kind, for the whole run. Main thread.
class DeviceStore {
public:
    explicit DeviceStore(AppContext& context);

    CameraDiscovery& cameraDiscovery() { return cameraDiscovery_; }
    MicrophoneDiscovery& microphoneDiscovery() { return microphoneDiscovery_; }
    DisplayDiscovery& displayDiscovery() { return displayDiscovery_; }
    // The log its devices record into, for the views that show the devices' events.
    DeviceEventLog& eventLog() const { return eventLog_; }

    // Every camera, then every microphone, then every display, each in its list's order.
    std::vector<DeviceEntry> allEntries() const;
    std::optional<DeviceEntry> entry(const QUuid& uuid) const;
    // The first available camera, else the first camera, microphone or display.
    std::optional<QUuid> defaultSelectionID() const;

private:
    DeviceEventLog& eventLog_;
    CameraDiscovery cameraDiscovery_;
    MicrophoneDiscovery microphoneDiscovery_;
    DisplayDiscovery displayDiscovery_;
};

}  // namespace tavrin
