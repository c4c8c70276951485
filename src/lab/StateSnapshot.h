#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <variant>

#include "catalogue/SidebarDevice.h"

namespace tavrin {

class DeviceStore;

// One change between a snapshot and now, in the words of the event log.
struct StateChange {
    QString kind;      // the device's kind noun
    QString deviceID;  // as tavrin names devices
    QString device;    // its name now, or then when it is gone
    QString source;
    QString message;

    friend bool operator==(const StateChange&, const StateChange&) = default;
};

// The logged values of every device at one moment, to be compared with a later moment: "what did
// my application leave changed?". Written and read as JSON with a version; files are untrusted,
// so reading checks every type and bound. Main thread.
class StateSnapshot {
public:
    static constexpr int version = 1;
    static constexpr qsizetype maxFileSize = 16 * 1024 * 1024;
    static constexpr qsizetype maxDevices = 4096;
    static constexpr qsizetype maxValues = 256;
    static constexpr qsizetype maxTextLength = 4096;

    struct Device {
        QString kind;
        QString id;
        QString name;
        QList<LoggedValue> values;
    };

    static StateSnapshot capture(DeviceStore& store);
    // The snapshot, or why the file can't be one.
    static std::variant<StateSnapshot, QString> parse(const QByteArray& json);
    QJsonObject toJson() const;

    // What differs from `then` to this snapshot, device by device in this snapshot's order, then
    // the devices that are gone. A device is matched by kind and ID.
    QList<StateChange> changesSince(const StateSnapshot& then) const;

    const QList<Device>& devices() const { return devices_; }

private:
    QList<Device> devices_;
};

}  // namespace tavrin
