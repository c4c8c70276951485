#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QUuid>

#include "catalogue/DeviceEvent.h"
#include "runtime/MainThreadQueue.h"

namespace tavrin {

using EventsByDevice = QHash<QUuid, QList<DeviceEvent>>;

// Every device's events for the run of the process, keyed by the device model's uuid. Recorded
// from any thread, appended on the main thread; only ever appended to or cleared.
class DeviceEventLog final : public QObject {
    Q_OBJECT
public:
    explicit DeviceEventLog(MainThreadQueue& queue);

    // Any thread. Stamps the event now and appends it on the main thread later, never inside
    // this call.
    void record(const QString& message, const QString& source, const QUuid& deviceID);

    // Main thread.
    const EventsByDevice& eventsByDevice() const { return eventsByDevice_; }
    // A device without a key has no events.
    QList<DeviceEvent> events(const QUuid& deviceID) const {
        return eventsByDevice_.value(deviceID);
    }
    // Tells observers only when the map differs.
    void setEventsByDevice(const EventsByDevice& events);
    // Leaves the device an empty list, whether or not it had one.
    void clear(const QUuid& deviceID);

    // "HH:mm:ss.SSS" in the user's time zone, as every view writes an event's time.
    static QString timestampText(std::chrono::system_clock::time_point timestamp);

signals:
    // Once per recording or clear with that device's uuid; with a null uuid when the whole map
    // was replaced.
    void eventsByDeviceChanged(const QUuid& deviceID);

private:
    void append(const QUuid& deviceID, DeviceEvent event);

    MainThreadQueue& queue_;
    EventsByDevice eventsByDevice_;
};

}  // namespace tavrin
