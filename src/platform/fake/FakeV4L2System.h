#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/linux/V4L2System.h"

namespace tavrin {

// One frame size of a fake pixel format: discrete (min == max) or a stepwise span, with its
// frame intervals: discrete fractions, or a continuous span when `intervalSpan` is set.
struct FakeV4L2Size {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    // A stepwise size range up to max, in steps; absent for a discrete size.
    std::optional<std::array<std::uint32_t, 4>> stepwiseMaxAndStep;  // maxW, maxH, stepW, stepH
    QList<std::pair<std::uint32_t, std::uint32_t>> intervals;        // numerator, denominator
    bool intervalSpan = false;  // intervals[0] is the shortest, intervals[1] the longest
};

struct FakeV4L2Format {
    std::uint32_t pixelFormat = 0;
    QString description;
    QList<FakeV4L2Size> sizes;
};

struct FakeV4L2Control {
    std::int32_t value = 0;
    std::int32_t minimum = 0;
    std::int32_t maximum = 1;
    QList<std::int32_t> menu;  // the menu items a menu control offers
};

// A device node as the fixture describes it.
struct FakeV4L2NodeSpec {
    QString name;  // "video0"
    QString driver;
    QString card;
    QString busInfo;
    std::uint32_t deviceCaps = 0;
    QList<FakeV4L2Format> formats;
    std::uint32_t pixelFormat = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t colorspace = 0;
    std::pair<std::uint32_t, std::uint32_t> interval{1, 30};
    QHash<std::uint32_t, FakeV4L2Control> controls;
    // sysfs attributes of the USB device behind the node ("idVendor", "busnum", "devpath", ...).
    QHash<QString, QByteArray> usb;
    // The node's own sysfs "index" (0 for the first node of a device).
    int index = 0;
    bool permissionDenied = false;
};

// A V4L2 device as the kernel shows it, in memory: the nodes of a JSON fixture, answering the
// ioctls the backend makes and contending as the kernel does. One handle holds the record
// priority, and while it does every other handle's priority-checked call (S_FMT, S_PARM,
// S_CTRL, REQBUFS, STREAMON) answers EBUSY. The handle that allocated buffers owns the queue:
// another handle's REQBUFS, even of zero buffers, answers EBUSY, and nobody changes the format
// while the queue is owned. Streaming fills YUYV frames at the format's interval. /proc answers
// with the processes that have nodes open, and sysfs with the USB attributes.
class FakeV4L2System final : public V4L2System {
public:
    explicit FakeV4L2System(QList<FakeV4L2NodeSpec> nodes);
    ~FakeV4L2System() override;
    // The nodes of a fixture file; absent with `error` set when it can't be read.
    static std::optional<QList<FakeV4L2NodeSpec>> loadFixture(const QString& path,
                                                              QString* error = nullptr);

    int open(const QString& path, int flags) override;
    int close(int fd) override;
    int ioctl(int fd, unsigned long request, void* argument) override;
    void* mmap(std::size_t length, int fd, off_t offset) override;
    int munmap(void* address, std::size_t length) override;
    int poll(int fd, int timeoutMs) override;
    QStringList listDirectory(const QString& path) override;
    std::optional<QByteArray> readFile(const QString& path) override;
    QString readLink(const QString& path) override;
    void waitForNodeActivity(std::chrono::milliseconds timeout) override;
    void interruptWait() override;

    // Another process opens a node: its handles are listed in /proc under `pid` as `name`.
    int openAs(const QString& path, std::int32_t pid, const QString& name);
    // Unplugs a node: it leaves /dev and its open handles answer ENODEV.
    void unplug(const QString& name);
    void plug(const FakeV4L2NodeSpec& node);
    // How many successful S_FMT calls a node saw.
    int formatChanges(const QString& name) const;

private:
    struct Node;
    struct Handle {
        std::shared_ptr<Node> node;
        std::int32_t pid = 0;
        QString processName;
        std::uint32_t priority = 2;  // V4L2_PRIORITY_DEFAULT
    };

    int dispatch(std::unique_lock<std::mutex>& lock, int fd, Handle& handle, unsigned long request,
                 void* argument);
    bool priorityAllows(const Node& node, int fd) const;
    void releaseQueue(Node& node);
    void touch();

    mutable std::mutex mutex_;
    std::condition_variable activity_;
    std::uint64_t activityCount_ = 0;
    bool interrupted_ = false;
    QList<std::shared_ptr<Node>> nodes_;
    std::map<int, Handle> handles_;
    int nextFD_ = 1000;
};

}  // namespace tavrin
