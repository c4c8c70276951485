#pragma once

#include <optional>

#include "catalogue/DevicePropertyMonitor.h"

namespace tavrin {

// Whether each audio device's input is muted, for subscribers by device UID; devices without an
// input mute are not followed. Also the UID lookup and the mute queries of the microphones.
class AudioDeviceMuteMonitor final : public DevicePropertyMonitor {
public:
    static std::shared_ptr<AudioDeviceMuteMonitor> create(ObjectPropertyService& hardware);

    std::optional<ObjectID> deviceID(const QString& uid);
    // False unless the device resolves, has an input mute and reads 1.
    bool isMuted(const QString& uid);
    // True only when the device resolves, has an input mute and the settable query says so.
    bool isMuteSettable(const QString& uid);

private:
    explicit AudioDeviceMuteMonitor(ObjectPropertyService& hardware);

    bool follows(ObjectID device) override;
    bool readValue(ObjectID device) override;
};

}  // namespace tavrin
