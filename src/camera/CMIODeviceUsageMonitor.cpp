#include "camera/CMIODeviceUsageMonitor.h"

#include "platform/MediaIO.h"

namespace tavrin {

using namespace MediaIOSelector;

CMIODeviceUsageMonitor::CMIODeviceUsageMonitor(ObjectPropertyService& mediaIO)
    : DevicePropertyMonitor(mediaIO,
                            Addresses{globalAddress(ownedObjects), globalAddress(deviceUID),
                                      globalAddress(MediaIOSelector::isRunningSomewhere)}) {}

std::shared_ptr<CMIODeviceUsageMonitor> CMIODeviceUsageMonitor::create(
    ObjectPropertyService& mediaIO) {
    std::shared_ptr<CMIODeviceUsageMonitor> monitor(new CMIODeviceUsageMonitor(mediaIO));
    monitor->start();
    return monitor;
}

QList<ObjectID> CMIODeviceUsageMonitor::listDevices() {
    const auto owned =
        readProperty<QList<ObjectID>>(service_, systemObjectID, globalAddress(ownedObjects));
    QList<ObjectID> devices;
    for (const auto object : owned.value_or(QList<ObjectID>())) {
        if (readProperty<std::uint32_t>(service_, object, globalAddress(objectClass)) ==
            MediaIOClass::device) {
            devices.append(object);
        }
    }
    return devices;
}

std::optional<ObjectID> CMIODeviceUsageMonitor::deviceID(const QString& uniqueID) {
    for (const auto device : listDevices()) {
        if (readProperty<QString>(service_, device, globalAddress(deviceUID)) == uniqueID) {
            return device;
        }
    }
    return std::nullopt;
}

bool CMIODeviceUsageMonitor::isRunningSomewhere(ObjectID device) {
    return readValue(device);
}

bool CMIODeviceUsageMonitor::follows(ObjectID) {
    return true;
}

bool CMIODeviceUsageMonitor::readValue(ObjectID device) {
    return readProperty<std::uint32_t>(service_, device,
                                       globalAddress(MediaIOSelector::isRunningSomewhere)) == 1u;
}

}  // namespace tavrin
