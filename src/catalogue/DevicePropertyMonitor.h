#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>

#include "platform/PropertyListener.h"
#include "runtime/Mutex.h"

namespace tavrin {

// Follows one Boolean property of every device of an object/property service and tells the
// subscribers of a device UID its current value whenever it changes, and when a device with that
// UID appears. One listener on the device list and one per followed device; the state is only
// touched under the lock, and reads and callbacks happen outside it, so a callback may subscribe
// or unsubscribe. Subscribe and unsubscribe may be called from any thread.
class DevicePropertyMonitor : public std::enable_shared_from_this<DevicePropertyMonitor> {
public:
    using SubscriberID = std::uint64_t;
    // Called on the service's notification thread (or the refreshing thread); never assume main.
    using Callback = std::function<void(bool value)>;

    virtual ~DevicePropertyMonitor();
    DevicePropertyMonitor(const DevicePropertyMonitor&) = delete;
    DevicePropertyMonitor& operator=(const DevicePropertyMonitor&) = delete;

    // Does not call the callback now; the first call comes with the device's next change, or
    // when the device is first seen.
    SubscriberID subscribe(const QString& uid, Callback callback);
    // Unknown UIDs and IDs are ignored; a UID left without subscribers is forgotten.
    void unsubscribe(const QString& uid, SubscriberID subscriber);

    // For tests and diagnostics.
    std::size_t followedDeviceCount() const;
    bool hasSubscribers(const QString& uid) const;
    bool followsDeviceList() const { return devicesListener_ != nullptr; }

protected:
    struct Addresses {
        PropertyAddress deviceList;
        PropertyAddress deviceUID;
        PropertyAddress value;
    };

    DevicePropertyMonitor(ObjectPropertyService& service, const Addresses& addresses);

    // Registers the device-list listener and runs the first refresh. Called once the monitor is
    // owned by a shared_ptr, since listener blocks hold it weakly.
    void start();

    // The devices listed now; empty when the list can't be read.
    virtual QList<ObjectID> listDevices();
    // Whether a device gets a listener at all.
    virtual bool follows(ObjectID device) = 0;
    // The device's current value; false when it can't be read.
    virtual bool readValue(ObjectID device) = 0;

    ObjectPropertyService& service_;

private:
    struct State {
        QHash<QString, std::map<SubscriberID, Callback>> subscribers;
        QHash<ObjectID, std::shared_ptr<PropertyListener>> listeners;
        SubscriberID nextSubscriberID = 0;
    };

    void refresh();
    void deviceChanged(ObjectID device);
    void tellSubscribers(ObjectID device);

    const Addresses addresses_;
    Mutex<State> state_;
    std::unique_ptr<PropertyListener> devicesListener_;
};

}  // namespace tavrin
