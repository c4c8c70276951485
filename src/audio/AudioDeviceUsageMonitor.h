#pragma once

#include "catalogue/DevicePropertyMonitor.h"

namespace tavrin {

// Whether each audio device is running in any process, for subscribers by device UID.
class AudioDeviceUsageMonitor final : public DevicePropertyMonitor {
public:
    static std::shared_ptr<AudioDeviceUsageMonitor> create(ObjectPropertyService& hardware);

    // False when the UID doesn't resolve or the read fails.
    bool isRunningSomewhere(const QString& uid);

private:
    explicit AudioDeviceUsageMonitor(ObjectPropertyService& hardware);

    bool follows(ObjectID device) override;
    bool readValue(ObjectID device) override;
};

}  // namespace tavrin
