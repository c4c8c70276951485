#include "catalogue/DevicePropertyMonitor.h"

#include <QList>
#include <vector>

namespace tavrin {

DevicePropertyMonitor::DevicePropertyMonitor(ObjectPropertyService& service,
                                             const Addresses& addresses)
    : service_(service), addresses_(addresses) {}

DevicePropertyMonitor::~DevicePropertyMonitor() {
    devicesListener_.reset();
    state_.withLock([](State& state) { state.listeners.clear(); });
}

void DevicePropertyMonitor::start() {
    std::weak_ptr<DevicePropertyMonitor> weak = weak_from_this();
    // Without it the monitor follows only the devices present now.
    devicesListener_ = PropertyListener::registered(service_, systemObjectID, addresses_.deviceList,
                                                    [weak](const auto&) {
                                                        if (auto monitor = weak.lock()) {
                                                            monitor->refresh();
                                                        }
                                                    });
    refresh();
}

DevicePropertyMonitor::SubscriberID DevicePropertyMonitor::subscribe(const QString& uid,
                                                                     Callback callback) {
    return state_.withLock([&](State& state) {
        const auto id = state.nextSubscriberID++;
        state.subscribers[uid].emplace(id, std::move(callback));
        return id;
    });
}

void DevicePropertyMonitor::unsubscribe(const QString& uid, SubscriberID subscriber) {
    state_.withLock([&](State& state) {
        const auto found = state.subscribers.find(uid);
        if (found == state.subscribers.end()) {
            return;
        }
        found->erase(subscriber);
        if (found->empty()) {
            state.subscribers.erase(found);
        }
    });
}

std::size_t DevicePropertyMonitor::followedDeviceCount() const {
    return state_.withLock([](const State& state) { return std::size_t(state.listeners.size()); });
}

bool DevicePropertyMonitor::hasSubscribers(const QString& uid) const {
    return state_.withLock([&](const State& state) { return state.subscribers.contains(uid); });
}

QList<ObjectID> DevicePropertyMonitor::listDevices() {
    return readProperty<QList<ObjectID>>(service_, systemObjectID, addresses_.deviceList)
        .value_or(QList<ObjectID>());
}

void DevicePropertyMonitor::refresh() {
    const auto devices = listDevices();
    std::weak_ptr<DevicePropertyMonitor> weak = weak_from_this();

    std::vector<ObjectID> newDevices;
    // Listeners released here are unregistered after the lock, when the last reference goes.
    std::vector<std::shared_ptr<PropertyListener>> released;
    state_.withLock([&](State& state) {
        for (auto it = state.listeners.begin(); it != state.listeners.end();) {
            if (devices.contains(it.key())) {
                ++it;
            } else {
                released.push_back(std::move(it.value()));
                it = state.listeners.erase(it);
            }
        }
        for (const auto device : devices) {
            if (state.listeners.contains(device) || !follows(device)) {
                continue;
            }
            std::shared_ptr<PropertyListener> listener = PropertyListener::registered(
                service_, device, addresses_.value, [weak, device](const auto&) {
                    if (auto monitor = weak.lock()) {
                        monitor->deviceChanged(device);
                    }
                });
            if (listener) {
                state.listeners.insert(device, std::move(listener));
            }
            newDevices.push_back(device);
        }
    });
    released.clear();
    for (const auto device : newDevices) {
        tellSubscribers(device);
    }
}

void DevicePropertyMonitor::deviceChanged(ObjectID device) {
    tellSubscribers(device);
}

// The value told is the current one, not a difference: a subscriber may hear the same twice.
void DevicePropertyMonitor::tellSubscribers(ObjectID device) {
    const auto uid = readProperty<QString>(service_, device, addresses_.deviceUID);
    if (!uid) {
        return;
    }
    const bool value = readValue(device);
    const auto callbacks = state_.withLock([&](const State& state) {
        std::vector<Callback> callbacks;
        for (const auto& [id, callback] : state.subscribers.value(*uid)) {
            callbacks.push_back(callback);
        }
        return callbacks;
    });
    for (const auto& callback : callbacks) {
        callback(value);
    }
}

}  // namespace tavrin
