#include "platform/linux/V4L2MediaIO.h"

namespace tavrin {

using namespace MediaIOSelector;

V4L2MediaIO::V4L2MediaIO(V4L2CameraMonitor& monitor) {
    monitor.addPassHandler([this](const V4L2CameraMonitor::Cameras& cameras) { update(cameras); });
}

void V4L2MediaIO::update(const V4L2CameraMonitor::Cameras& cameras) {
    QList<std::pair<ObjectID, std::shared_ptr<V4L2Camera>>> added;
    // Removed devices go after the lock is released: a camera that goes joins its thread, which
    // may be telling us of a change right now.
    std::vector<Device> removed;
    const bool changed = state_.withLock([&](State& state) {
        for (auto device = state.devices.begin(); device != state.devices.end();) {
            if (cameras.contains(device->camera)) {
                ++device;
            } else {
                removed.push_back(std::move(*device));
                device = state.devices.erase(device);
            }
        }
        bool listChanged = !removed.empty();
        for (const auto& camera : cameras) {
            const bool known =
                std::any_of(state.devices.begin(), state.devices.end(),
                            [&](const Device& device) { return device.camera == camera; });
            if (!known) {
                state.devices.push_back(Device{state.nextID++, camera, nullptr});
                added.append({state.devices.back().id, camera});
                listChanged = true;
            }
        }
        return listChanged;
    });
    // Observed outside the lock: the camera may be telling its observers right now.
    for (const auto& [id, camera] : added) {
        auto observation = std::make_shared<Subscription>(
            // A camera's worker may still be telling an observer it copied just as this object
            // goes: the observer holds only the listeners, weakly, never `this` or the cameras
            // (the last reference to a camera must not end on its own worker).
            camera->observe(V4L2Camera::runningSomewhereKeyPath,
                            [weak = std::weak_ptr(listeners_), id = id] {
                                if (const auto listeners = weak.lock()) {
                                    notify(*listeners, id, globalAddress(isRunningSomewhere));
                                }
                            }));
        state_.withLock([&](State& state) {
            for (auto& device : state.devices) {
                if (device.id == id) {
                    device.observation = observation;
                }
            }
        });
    }
    if (changed) {
        notify(*listeners_, systemObjectID, globalAddress(ownedObjects));
    }
}

void V4L2MediaIO::notify(const Mutex<PropertyListenerRegistry>& listeners, ObjectID object,
                         const PropertyAddress& address) {
    const auto blocks = listeners.withLock(
        [&](const PropertyListenerRegistry& registry) { return registry.blocks(object, address); });
    for (const auto& block : blocks) {
        (*block)({address});
    }
}

const V4L2MediaIO::Device* V4L2MediaIO::find(const State& state, ObjectID object) {
    for (const auto& device : state.devices) {
        if (device.id == object) {
            return &device;
        }
    }
    return nullptr;
}

bool V4L2MediaIO::hasProperty(ObjectID object, const PropertyAddress& address) {
    PropertyValue value;
    return getPropertyData(object, address, {}, value) == OSStatusCode::noError;
}

OSStatus V4L2MediaIO::isPropertySettable(ObjectID object, const PropertyAddress& address,
                                         bool& settable) {
    settable = false;
    return hasProperty(object, address) ? OSStatusCode::noError : OSStatusCode::unknownProperty;
}

OSStatus V4L2MediaIO::getPropertyData(ObjectID object, const PropertyAddress& address,
                                      const PropertyValue&, PropertyValue& value) {
    return state_.withLock([&](const State& state) {
        if (object == systemObjectID) {
            if (address != globalAddress(ownedObjects)) {
                return OSStatusCode::unknownProperty;
            }
            QList<ObjectID> ids;
            for (const auto& device : state.devices) {
                ids.append(device.id);
            }
            value = ids;
            return OSStatusCode::noError;
        }
        const auto* device = find(state, object);
        if (!device) {
            return OSStatusCode::badObject;
        }
        if (address == globalAddress(objectClass)) {
            value = std::uint32_t(MediaIOClass::device);
        } else if (address == globalAddress(deviceUID)) {
            value = device->camera->uniqueID();
        } else if (address == globalAddress(isRunningSomewhere)) {
            value = std::uint32_t(device->camera->isRunningSomewhere());
        } else {
            return OSStatusCode::unknownProperty;
        }
        return OSStatusCode::noError;
    });
}

OSStatus V4L2MediaIO::setPropertyData(ObjectID, const PropertyAddress&, const PropertyValue&) {
    return OSStatusCode::illegalOperation;
}

OSStatus V4L2MediaIO::addPropertyListener(ObjectID object, const PropertyAddress& address,
                                          PropertyListenerBlock block) {
    listeners_->withLock([&](PropertyListenerRegistry& registry) {
        registry.add(object, address, std::move(block));
    });
    return OSStatusCode::noError;
}

OSStatus V4L2MediaIO::removePropertyListener(ObjectID object, const PropertyAddress& address,
                                             const PropertyListenerBlock& block) {
    return listeners_->withLock([&](PropertyListenerRegistry& registry) {
        return registry.remove(object, address, block) ? OSStatusCode::noError
                                                       : OSStatusCode::unspecified;
    });
}

}  // namespace tavrin
