#pragma once

#include <QString>

#include "platform/MediaIO.h"
#include "platform/fake/FakeObjectPropertyService.h"

namespace tavrin {

// The fake media I/O layer: the system object owns devices (and other objects), each device has
// a UID and a running-somewhere flag that "another process" switches.
class FakeMediaIO final : public FakeObjectPropertyService {
public:
    explicit FakeMediaIO(NotificationThread& notifications);

    ObjectID addDevice(const QString& uid, bool isRunningSomewhere = false);
    // An owned object of another class, which is no device.
    ObjectID addObject(FourCharCode objectClass);
    void removeObject(ObjectID object);
    // Removes every device with this UID.
    void removeDevice(const QString& uid);
    // Another process starts or stops the camera of this UID (every device with it).
    void setRunningSomewhere(const QString& uid, bool running);

private:
    QList<ObjectID> devicesWithUID(const QString& uid);
    ObjectID add(FourCharCode objectClass,
                 const QList<std::pair<PropertyAddress, PropertyValue>>& properties);
};

}  // namespace tavrin
