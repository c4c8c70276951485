#pragma once

#include <QJsonObject>
#include <QString>

#include "catalogue/DeviceEntry.h"
#include "catalogue/DeviceEvent.h"

namespace tavrin {

class DeviceResolver;

// The JSON that scripts read: the device list of `list --json` and the event lines of
// `events --json`, of the window's Export and of `run`. docs/json-schemas.md describes both;
// a change that breaks a reader raises `schemaVersion`. Main thread.
class DeviceJson {
public:
    static constexpr int schemaVersion = 1;

    // {"version", "devices": [...]}, every property the inspector shows, per kind.
    static QJsonObject deviceList(const DeviceResolver& devices);
    static QJsonObject device(const DeviceEntry& entry, int index);

    // One event line: time, device ID and name, kind, source, message.
    static QJsonObject event(const DeviceEvent& event, const DeviceEntry& entry);
    // The time as scripts compare it: UTC, ISO 8601 with milliseconds.
    static QString timeText(std::chrono::system_clock::time_point time);
    // A compact, single-line rendering followed by a newline.
    static QByteArray line(const QJsonObject& object);
};

}  // namespace tavrin
