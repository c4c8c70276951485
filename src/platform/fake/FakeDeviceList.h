#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <memory>

#include "platform/DeviceFramework.h"
#include "platform/fake/NotificationThread.h"
#include "runtime/MainThreadQueue.h"

namespace tavrin {

// One kind of device of the fake framework. Mutators may be called from any thread: each change
// travels through the notification thread to the main thread, where it is applied to the device
// objects and followed by a new complete list for every subscriber, in the order of the calls.
template <typename Device>
class FakeDeviceList {
public:
    using Key = std::remove_cvref_t<decltype(std::declval<const Device&>().id())>;
    using Filter = std::function<bool(const Device&)>;

    FakeDeviceList(MainThreadQueue& queue, NotificationThread& notifications)
        : queue_(queue), notifications_(notifications) {}

    [[nodiscard]] Subscription subscribe(DeviceListHandler<Device> handler, Filter filter = {}) {
        auto alive = std::make_shared<bool>(true);
        onMain([this, alive, handler = std::move(handler), filter = std::move(filter)] {
            if (!*alive) {
                return;
            }
            const auto id = nextSubscriberID_++;
            subscribers_.emplace(id, Subscriber{handler, filter});
            subscriberAlive_.emplace(id, alive);
            handler(listFor(filter));
        });
        return Subscription([alive] { *alive = false; });
    }

    // Adds a device at the end of the list (or replaces the one with the same ID in place).
    void plug(std::shared_ptr<Device> device) {
        onMain([this, device = std::move(device)] {
            for (auto& existing : devices_) {
                if (existing->id() == device->id()) {
                    existing = device;
                    publish();
                    return;
                }
            }
            devices_.append(device);
            publish();
        });
    }

    void unplug(const Key& id) {
        onMain([this, id] {
            devices_.removeIf([&](const auto& device) { return device->id() == id; });
            publish();
        });
    }

    // Changes a listed device's published values on the main thread, then publishes the list.
    void change(const Key& id, std::function<void(Device&)> mutate) {
        onMain([this, id, mutate = std::move(mutate)] {
            if (auto device = find(id)) {
                mutate(*device);
            }
            publish();
        });
    }

    // Moves a device to another position of the list.
    void move(const Key& id, qsizetype position) {
        onMain([this, id, position] {
            for (qsizetype index = 0; index < devices_.size(); ++index) {
                if (devices_[index]->id() == id) {
                    auto device = devices_.takeAt(index);
                    devices_.insert(std::clamp<qsizetype>(position, 0, devices_.size()), device);
                    break;
                }
            }
            publish();
        });
    }

    void republish() {
        onMain([this] { publish(); });
    }

    // Main thread only.
    std::shared_ptr<Device> find(const Key& id) const {
        for (const auto& device : devices_) {
            if (device->id() == id) {
                return device;
            }
        }
        return nullptr;
    }
    const DeviceList<Device>& devices() const { return devices_; }

private:
    struct Subscriber {
        DeviceListHandler<Device> handler;
        Filter filter;
    };

    // Tasks hold the list weakly: a change still in flight when the fake goes away does nothing.
    void onMain(std::function<void()> apply) {
        notifications_.deliverToMain(queue_, lifetime_, std::move(apply));
    }

    DeviceList<Device> listFor(const Filter& filter) const {
        if (!filter) {
            return devices_;
        }
        DeviceList<Device> list;
        for (const auto& device : devices_) {
            if (filter(*device)) {
                list.append(device);
            }
        }
        return list;
    }

    void publish() {
        std::erase_if(subscriberAlive_, [this](const auto& entry) {
            if (*entry.second) {
                return false;
            }
            subscribers_.erase(entry.first);
            return true;
        });
        const auto snapshot = subscribers_;
        for (const auto& [id, subscriber] : snapshot) {
            if (*subscriberAlive_.at(id)) {
                subscriber.handler(listFor(subscriber.filter));
            }
        }
    }

    MainThreadQueue& queue_;
    NotificationThread& notifications_;
    std::shared_ptr<bool> lifetime_ = std::make_shared<bool>(true);
    DeviceList<Device> devices_;
    std::uint64_t nextSubscriberID_ = 0;
    std::map<std::uint64_t, Subscriber> subscribers_;
    std::map<std::uint64_t, std::shared_ptr<bool>> subscriberAlive_;
};

}  // namespace tavrin
