#pragma once

#include "platform/linux/V4L2System.h"

namespace tavrin::testing {

// Hands a platform a seam that is really one the test keeps, so the test can plug, unplug and
// contend on the same device while the platform owns its seam.
class ForwardingV4L2System : public V4L2System {
public:
    explicit ForwardingV4L2System(V4L2System& target) : target_(target) {}

    int open(const QString& path, int flags) override { return target_.open(path, flags); }
    int close(int fd) override { return target_.close(fd); }
    int duplicate(int fd) override { return target_.duplicate(fd); }
    int ioctl(int fd, unsigned long request, void* argument) override {
        return target_.ioctl(fd, request, argument);
    }
    void* mmap(std::size_t length, int fd, off_t offset) override {
        return target_.mmap(length, fd, offset);
    }
    int munmap(void* address, std::size_t length) override {
        return target_.munmap(address, length);
    }
    int poll(int fd, int timeoutMs) override { return target_.poll(fd, timeoutMs); }
    QStringList listDirectory(const QString& path) override { return target_.listDirectory(path); }
    std::optional<QByteArray> readFile(const QString& path) override {
        return target_.readFile(path);
    }
    QString readLink(const QString& path) override { return target_.readLink(path); }
    void waitForNodeActivity(std::chrono::milliseconds timeout) override {
        target_.waitForNodeActivity(timeout);
    }
    void interruptWait() override { target_.interruptWait(); }

private:
    V4L2System& target_;
};

}  // namespace tavrin::testing
