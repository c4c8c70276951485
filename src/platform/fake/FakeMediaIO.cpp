#include "platform/fake/FakeMediaIO.h"

namespace tavrin {

using namespace MediaIOSelector;

FakeMediaIO::FakeMediaIO(NotificationThread& notifications)
    : FakeObjectPropertyService(notifications) {
    edit([](State& state, Changes& changes) {
        store(state, systemObjectID, globalAddress(ownedObjects), QList<ObjectID>(), changes,
              false);
        changes.clear();
    });
}

ObjectID FakeMediaIO::addObject(FourCharCode objectClass) {
    return add(objectClass, {});
}

ObjectID FakeMediaIO::addDevice(const QString& uid, bool isRunningSomewhere) {
    return add(MediaIOClass::device, {{globalAddress(deviceUID), uid},
                                      {globalAddress(MediaIOSelector::isRunningSomewhere),
                                       std::uint32_t(isRunningSomewhere)}});
}

// The properties go in before the object is listed, so no one sees it half made.
ObjectID FakeMediaIO::add(FourCharCode objectClass,
                          const QList<std::pair<PropertyAddress, PropertyValue>>& properties) {
    return edit([&](State& state, Changes& changes) {
        const auto object = state.nextObjectID++;
        store(state, object, globalAddress(MediaIOSelector::objectClass),
              std::uint32_t(objectClass), changes, false);
        for (const auto& [address, value] : properties) {
            store(state, object, address, value, changes, false);
        }
        changes.clear();
        auto owned = std::get<QList<ObjectID>>(
            state.objects[systemObjectID].properties[globalAddress(ownedObjects)].value);
        owned.append(object);
        store(state, systemObjectID, globalAddress(ownedObjects), owned, changes);
        return object;
    });
}

void FakeMediaIO::removeObject(ObjectID object) {
    edit([&](State& state, Changes& changes) {
        state.objects.remove(object);
        auto owned = std::get<QList<ObjectID>>(
            state.objects[systemObjectID].properties[globalAddress(ownedObjects)].value);
        owned.removeAll(object);
        store(state, systemObjectID, globalAddress(ownedObjects), owned, changes);
    });
}

void FakeMediaIO::removeDevice(const QString& uid) {
    for (const auto object : devicesWithUID(uid)) {
        removeObject(object);
    }
}

QList<ObjectID> FakeMediaIO::devicesWithUID(const QString& uid) {
    const auto owned =
        readProperty<QList<ObjectID>>(*this, systemObjectID, globalAddress(ownedObjects));
    QList<ObjectID> devices;
    for (const auto object : owned.value_or(QList<ObjectID>())) {
        if (readProperty<QString>(*this, object, globalAddress(deviceUID)) == uid) {
            devices.append(object);
        }
    }
    return devices;
}

void FakeMediaIO::setRunningSomewhere(const QString& uid, bool running) {
    for (const auto device : devicesWithUID(uid)) {
        changeProperty(device, globalAddress(MediaIOSelector::isRunningSomewhere),
                       std::uint32_t(running));
    }
}

}  // namespace tavrin
