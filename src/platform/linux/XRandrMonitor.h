#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "platform/linux/XRandrConnection.h"

namespace tavrin {

// Reads the X server's outputs on a connection and a thread of its own, after every screen, output
// or CRTC change and every change of the root window's work area or resources. A burst of events
// gives one read; a read equal to the last one is not told.
class XRandrMonitor {
public:
    // Called on the monitor's thread; never on the main thread. The last state told after the
    // server went away lists nothing connected.
    using StateHandler = std::function<void(const XRandrState&)>;

    // `connection` already has its change events selected, and `current` is what was read from
    // it after that.
    XRandrMonitor(std::unique_ptr<XRandrConnection> connection, XRandrState current,
                  StateHandler onState);
    // Stops the thread: no handler call runs after it returns.
    ~XRandrMonitor();
    XRandrMonitor(const XRandrMonitor&) = delete;
    XRandrMonitor& operator=(const XRandrMonitor&) = delete;

private:
    void run();

    std::unique_ptr<XRandrConnection> connection_;
    XRandrState last_;
    StateHandler onState_;
    int wakeDescriptor_ = -1;
    std::atomic<bool> isStopping_ = false;
    std::thread thread_;
};

}  // namespace tavrin
