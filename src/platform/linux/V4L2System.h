#pragma once

#include <sys/types.h>
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <chrono>
#include <cstddef>
#include <optional>

namespace tavrin {

// The system calls the camera backend makes, shaped like the calls themselves: device nodes
// through open/close/ioctl/mmap/munmap/poll, and the few files it reads (sysfs attributes, the
// /proc table of open files, the /dev listing). Everything above this runs against the kernel or
// against a fake device alike. Failures are negative errno values, never exceptions. Every call
// may be made from any thread.
class V4L2System {
public:
    virtual ~V4L2System() = default;

    // A file descriptor, or -errno.
    virtual int open(const QString& path, int flags) = 0;
    virtual int close(int fd) = 0;
    // Another descriptor of the same open file, sharing its state (a V4L2 handle's priority
    // among it), or -errno.
    virtual int duplicate(int fd) = 0;
    // The call's non-negative result (0 for every V4L2 request; the bytes moved for a usbfs
    // control transfer), or -errno.
    virtual int ioctl(int fd, unsigned long request, void* argument) = 0;
    // A shared read/write mapping; nullptr when it fails.
    virtual void* mmap(std::size_t length, int fd, off_t offset) = 0;
    virtual int munmap(void* address, std::size_t length) = 0;
    // Waits for `fd` to become readable: 1 when it is, 0 on time-out, -errno on failure.
    virtual int poll(int fd, int timeoutMs) = 0;

    // Names in a directory (no "." or ".."); empty when it can't be read.
    virtual QStringList listDirectory(const QString& path) = 0;
    // A whole (small) file; absent when it can't be read.
    virtual std::optional<QByteArray> readFile(const QString& path) = 0;
    // A symbolic link's target; empty when it is none or can't be read.
    virtual QString readLink(const QString& path) = 0;

    // Blocks until a device node comes, goes, is opened or closed, or `timeout` passes, or
    // `interruptWait` is called.
    virtual void waitForNodeActivity(std::chrono::milliseconds timeout) = 0;
    virtual void interruptWait() = 0;
};

}  // namespace tavrin
