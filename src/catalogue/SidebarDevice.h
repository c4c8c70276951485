#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QUuid>
#include <functional>
#include <utility>

namespace tavrin {

class DeviceEntry;

// One logged value as the device's change events write it: "<label>: <text>", under `source`.
struct LoggedValue {
    QString label;
    QString text;
    QString source;

    friend bool operator==(const LoggedValue&, const LoggedValue&) = default;
};

// What every device model offers the sidebar, the log and the views: its identity, drawn at
// creation, and the entry that wraps it. Models are main-thread objects owned by shared_ptr.
class SidebarDevice : public QObject {
    Q_OBJECT
public:
    virtual QUuid uuid() const = 0;
    virtual DeviceEntry entry() = 0;
    // Every value whose change the device records, in the words of its change events, so that
    // two readings far apart can be compared as the log would have told it.
    virtual QList<LoggedValue> loggedValues() const = 0;

protected:
    SidebarDevice() = default;

    // Records "<name> <label>: <old> → <new>" for this device.
    virtual void recordChange(const QString& label, const QString& oldText, const QString& newText,
                              const QString& source) = 0;

    // Stores a value; on a real change notifies through `signal` and records the change.
    template <typename Self, typename T, typename Text, typename Same = std::equal_to<>>
    void assignLogged(T& field, const T& value, void (Self::*signal)(), const QString& label,
                      Text text, const QString& source, Same same = {}) {
        if (same(field, value)) {
            return;
        }
        const T old = std::exchange(field, value);
        Q_EMIT(static_cast<Self*>(this)->*signal)();
        recordChange(label, text(old), text(value), source);
    }
};

}  // namespace tavrin
