#pragma once

#include <optional>

#include "catalogue/DevicePropertyMonitor.h"
#include "platform/PropertyListener.h"

namespace tavrin {

// A media I/O property-listener registration; called on the layer's notification thread.
using CMIOPropertyListener = PropertyListener;

// Whether each camera is running in any process, for subscribers by camera unique ID (which is
// the media I/O device UID). Devices are the system object's owned objects of class 'adev'.
class CMIODeviceUsageMonitor final : public DevicePropertyMonitor {
public:
    static std::shared_ptr<CMIODeviceUsageMonitor> create(ObjectPropertyService& mediaIO);

    // The first listed device with this UID; absent when none has it.
    std::optional<ObjectID> deviceID(const QString& uniqueID);
    // True only when the read succeeds and gives 1.
    bool isRunningSomewhere(ObjectID device);

private:
    explicit CMIODeviceUsageMonitor(ObjectPropertyService& mediaIO);

    QList<ObjectID> listDevices() override;
    bool follows(ObjectID device) override;
    bool readValue(ObjectID device) override;
};

}  // namespace tavrin
