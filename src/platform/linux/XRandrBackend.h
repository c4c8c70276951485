#pragma once

#include <QByteArray>
#include <memory>

#include "platform/linux/XRandrDisplayFramework.h"
#include "platform/linux/XRandrDisplayServices.h"
#include "platform/linux/XRandrMonitor.h"

namespace tavrin {

// The displays of an X server: the framework's display list and the display services, both fed
// by one monitor thread whose states are posted to the main thread. There the services adopt a
// state first, then the framework publishes its list, then the screen observers are told, so
// every reader sees the same state.
class XRandrBackend {
public:
    // Absent when no X server with RandR answers at `displayName` (empty: $DISPLAY).
    static std::unique_ptr<XRandrBackend> connect(MainThreadQueue& queue,
                                                  const QByteArray& displayName);
    ~XRandrBackend();

    DeviceFramework& framework() { return framework_; }
    DisplayServices& services() { return services_; }

private:
    XRandrBackend(MainThreadQueue& queue, std::unique_ptr<XRandrConnection> commands);
    void apply(const XRandrState& state);

    XRandrDisplayServices services_;
    XRandrDisplayFramework framework_;
    // What posted states hold weakly: a state that arrives after the backend went does nothing.
    std::shared_ptr<XRandrBackend*> self_;
    std::unique_ptr<XRandrMonitor> monitor_;
};

}  // namespace tavrin
