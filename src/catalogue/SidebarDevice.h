#pragma once

#include <QObject>
#include <QUuid>

namespace tavrin {

class DeviceEntry;

// What every device model offers the sidebar, the log and the views: its identity, drawn at
// creation, and the entry that wraps it. Models are main-thread objects owned by shared_ptr.
class SidebarDevice : public QObject {
    Q_OBJECT
public:
    virtual QUuid uuid() const = 0;
    virtual DeviceEntry entry() = 0;

protected:
    SidebarDevice() = default;
};

}  // namespace tavrin
