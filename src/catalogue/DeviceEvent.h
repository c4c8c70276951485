#pragma once

#include <QHashFunctions>
#include <QString>
#include <QUuid>
#include <chrono>

namespace tavrin {

// One timestamped line of a device's event log.
struct DeviceEvent {
    QUuid id;
    std::chrono::system_clock::time_point timestamp;
    QString source;
    QString message;

    friend bool operator==(const DeviceEvent&, const DeviceEvent&) = default;
};

inline size_t qHash(const DeviceEvent& event, size_t seed = 0) {
    return qHashMulti(seed, event.id, event.timestamp.time_since_epoch().count(), event.source,
                      event.message);
}

}  // namespace tavrin
