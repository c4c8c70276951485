#pragma once

#include <QString>
#include <memory>

#include "platform/UsbService.h"
#include "platform/linux/V4L2System.h"

namespace tavrin {

// The open node a control route sends its requests to, with what every route does around it: a
// failed call's line, told once while the same failure repeats (the controls section reads every
// second), and, once the node reports its device gone, closing it at once so that no later
// request reaches a stale handle. Not locked: the route that owns it serialises its calls.
class UsbControlNode {
public:
    // Opens `path` read-write; -1 with `status` set and the failure's line printed when it can't.
    static int open(V4L2System& system, const QString& path, IOReturn& status);

    UsbControlNode(std::shared_ptr<V4L2System> system, int fd, QString path)
        : system_(std::move(system)), fd_(fd), path_(std::move(path)) {}
    ~UsbControlNode() { close(); }
    UsbControlNode(const UsbControlNode&) = delete;
    UsbControlNode& operator=(const UsbControlNode&) = delete;

    // What to answer before any call: noDevice once the device went, notOpen once closed.
    IOReturn state() const;
    // 0 or -errno; -EBADF once closed, without reaching the system.
    int ioctl(unsigned long request, void* argument);
    void close();
    // Goes on with `fd`, another open descriptor of the same node, in place of the one it had.
    void adopt(int fd);
    // The status for a call that answered `result` (-errno). A failure a device would answer
    // with a stall is silent; ENODEV closes the node for good.
    IOReturn failed(const QString& call, int result);
    // Prints "[UVC] " + line unless it was the last line printed.
    void report(const QString& line);

private:
    const std::shared_ptr<V4L2System> system_;
    int fd_;
    const QString path_;
    bool gone_ = false;
    QString lastLine_;
};

}  // namespace tavrin
