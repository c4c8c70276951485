#pragma once

#include "platform/linux/V4L2System.h"

struct udev;
struct udev_monitor;

namespace tavrin {

// The kernel behind the V4L2 seam. Node activity comes from a udev monitor on the video4linux
// subsystem (hotplug) and from inotify on /dev, which also sees opens and closes of the nodes,
// and stands in for udev where no udev daemon runs. One thread at a time waits for activity.
class LinuxV4L2System final : public V4L2System {
public:
    LinuxV4L2System();
    ~LinuxV4L2System() override;
    LinuxV4L2System(const LinuxV4L2System&) = delete;
    LinuxV4L2System& operator=(const LinuxV4L2System&) = delete;

    int open(const QString& path, int flags) override;
    int close(int fd) override;
    int duplicate(int fd) override;
    int ioctl(int fd, unsigned long request, void* argument) override;
    void* mmap(std::size_t length, int fd, off_t offset) override;
    int munmap(void* address, std::size_t length) override;
    int poll(int fd, int timeoutMs) override;
    QStringList listDirectory(const QString& path) override;
    std::optional<QByteArray> readFile(const QString& path) override;
    QString readLink(const QString& path) override;
    void waitForNodeActivity(std::chrono::milliseconds timeout) override;
    void interruptWait() override;

private:
    // Reads what inotify has; whether any of it was about a video node.
    bool drainInotify();

    int inotifyFD_ = -1;
    int wakeFD_ = -1;
    udev* udev_ = nullptr;
    udev_monitor* udevMonitor_ = nullptr;
};

}  // namespace tavrin
