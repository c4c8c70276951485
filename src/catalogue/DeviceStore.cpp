#include "catalogue/DeviceStore.h"

#include "app/AppContext.h"
#include "audio/MicrophoneDevice.h"
#include "camera/CameraDevice.h"
#include "display/DisplayDevice.h"

namespace tavrin {

// The discoveries are made in this order: cameras (desk-view cameras included), microphones,
// displays.
DeviceStore::DeviceStore(AppContext& context)
    : eventLog_(context.eventLog()),
      cameraDiscovery_(context, true),
      microphoneDiscovery_(context),
      displayDiscovery_(context) {}

std::vector<DeviceEntry> DeviceStore::allEntries() const {
    std::vector<DeviceEntry> entries;
    for (const auto& camera : cameraDiscovery_.cameras()) {
        entries.emplace_back(camera);
    }
    for (const auto& microphone : microphoneDiscovery_.microphones()) {
        entries.emplace_back(microphone);
    }
    for (const auto& display : displayDiscovery_.displays()) {
        entries.emplace_back(display);
    }
    return entries;
}

std::optional<DeviceEntry> DeviceStore::entry(const QUuid& uuid) const {
    for (const auto& entry : allEntries()) {
        if (entry.id() == uuid) {
            return entry;
        }
    }
    return std::nullopt;
}

std::optional<QUuid> DeviceStore::defaultSelectionID() const {
    const auto& cameras = cameraDiscovery_.cameras();
    for (const auto& camera : cameras) {
        if (camera->availability() == SXAvailability::available()) {
            return camera->uuid();
        }
    }
    if (!cameras.isEmpty()) {
        return cameras.front()->uuid();
    }
    if (!microphoneDiscovery_.microphones().isEmpty()) {
        return microphoneDiscovery_.microphones().front()->uuid();
    }
    if (!displayDiscovery_.displays().isEmpty()) {
        return displayDiscovery_.displays().front()->uuid();
    }
    return std::nullopt;
}

}  // namespace tavrin
