#include "platform/linux/LinuxV4L2System.h"

#include <fcntl.h>
#include <libudev.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <array>
#include <cerrno>

namespace tavrin {

LinuxV4L2System::LinuxV4L2System() {
    inotifyFD_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (inotifyFD_ >= 0) {
        ::inotify_add_watch(inotifyFD_, "/dev", IN_CREATE | IN_DELETE | IN_OPEN | IN_CLOSE);
    }
    wakeFD_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    udev_ = udev_new();
    if (udev_) {
        udevMonitor_ = udev_monitor_new_from_netlink(udev_, "udev");
        if (udevMonitor_ && (udev_monitor_filter_add_match_subsystem_devtype(
                                 udevMonitor_, "video4linux", nullptr) < 0 ||
                             udev_monitor_enable_receiving(udevMonitor_) < 0)) {
            udev_monitor_unref(udevMonitor_);
            udevMonitor_ = nullptr;
        }
    }
}

LinuxV4L2System::~LinuxV4L2System() {
    if (udevMonitor_) {
        udev_monitor_unref(udevMonitor_);
    }
    if (udev_) {
        udev_unref(udev_);
    }
    for (const int fd : {inotifyFD_, wakeFD_}) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

int LinuxV4L2System::open(const QString& path, int flags) {
    const int fd = ::open(QFile::encodeName(path).constData(), flags);
    return fd >= 0 ? fd : -errno;
}

int LinuxV4L2System::close(int fd) {
    return ::close(fd) == 0 ? 0 : -errno;
}

int LinuxV4L2System::duplicate(int fd) {
    const int copy = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    return copy < 0 ? -errno : copy;
}

int LinuxV4L2System::ioctl(int fd, unsigned long request, void* argument) {
    int result;
    do {
        result = ::ioctl(fd, request, argument);
    } while (result < 0 && errno == EINTR);
    return result < 0 ? -errno : result;
}

void* LinuxV4L2System::mmap(std::size_t length, int fd, off_t offset) {
    void* address = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, fd, offset);
    return address == MAP_FAILED ? nullptr : address;
}

int LinuxV4L2System::munmap(void* address, std::size_t length) {
    return ::munmap(address, length) == 0 ? 0 : -errno;
}

int LinuxV4L2System::poll(int fd, int timeoutMs) {
    pollfd entry{fd, POLLIN | POLLPRI, 0};
    const int result = ::poll(&entry, 1, timeoutMs);
    if (result < 0) {
        return errno == EINTR ? 0 : -errno;
    }
    if (result > 0 && (entry.revents & (POLLERR | POLLHUP | POLLNVAL)) &&
        !(entry.revents & POLLIN)) {
        return -ENODEV;
    }
    return result > 0 ? 1 : 0;
}

QStringList LinuxV4L2System::listDirectory(const QString& path) {
    return QDir(path).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot,
                                QDir::Unsorted);
}

std::optional<QByteArray> LinuxV4L2System::readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        return std::nullopt;
    }
    // sysfs attributes and /proc entries are small; a bound keeps a strange file from costing.
    // A USB device's `descriptors` is the largest we read: a configuration can't pass 64 KiB.
    return file.read(65536 + 18);
}

QString LinuxV4L2System::readLink(const QString& path) {
    std::array<char, 512> target{};
    const auto length =
        ::readlink(QFile::encodeName(path).constData(), target.data(), target.size() - 1);
    return length > 0 ? QFile::decodeName(QByteArray(target.data(), qsizetype(length))) : QString();
}

bool LinuxV4L2System::drainInotify() {
    bool relevant = false;
    alignas(inotify_event) std::array<char, 4096> buffer;
    for (;;) {
        const auto length = ::read(inotifyFD_, buffer.data(), buffer.size());
        if (length <= 0) {
            return relevant;
        }
        for (ssize_t offset = 0; offset + ssize_t(sizeof(inotify_event)) <= length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + offset);
            if (event->len > 0 && ::strncmp(event->name, "video", 5) == 0) {
                relevant = true;
            }
            offset += ssize_t(sizeof(inotify_event)) + event->len;
        }
    }
}

void LinuxV4L2System::waitForNodeActivity(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return;
        }
        std::array<pollfd, 3> entries{
            {{wakeFD_, POLLIN, 0},
             {inotifyFD_, POLLIN, 0},
             {udevMonitor_ ? udev_monitor_get_fd(udevMonitor_) : -1, POLLIN, 0}}};
        if (::poll(entries.data(), entries.size(), int(left.count())) <= 0) {
            continue;  // a time-out ends at the deadline check; EINTR waits again
        }
        bool relevant = false;
        if (entries[0].revents & POLLIN) {
            std::uint64_t count = 0;
            [[maybe_unused]] const auto read = ::read(wakeFD_, &count, sizeof count);
            relevant = true;
        }
        if (entries[1].revents & POLLIN) {
            relevant = drainInotify() || relevant;
        }
        if (entries[2].revents & POLLIN) {
            if (auto* device = udev_monitor_receive_device(udevMonitor_)) {
                udev_device_unref(device);
            }
            relevant = true;
        }
        if (relevant) {
            return;
        }
    }
}

void LinuxV4L2System::interruptWait() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(wakeFD_, &one, sizeof one);
}

}  // namespace tavrin
