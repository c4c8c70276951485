#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <array>
#include <atomic>
#include <chrono>
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

// A control as the driver reports it. Setting an integer rounds it to the step from the
// minimum and keeps it in range, as uvcvideo does; a switch takes any non-zero value as on; a
// menu refuses a value out of range (ERANGE) or one it doesn't offer (EINVAL); a read-only
// control refuses every value (EACCES).
struct FakeV4L2Control {
    std::int32_t value = 0;
    std::int32_t minimum = 0;
    std::int32_t maximum = 1;
    QList<std::int32_t> menu;  // the menu items a menu control offers
    // V4L2_CTRL_TYPE_*; 0 is a menu when `menu` has items and a switch otherwise.
    std::uint32_t type = 0;
    std::int32_t step = 1;
    // Absent: what the control holds now.
    std::optional<std::int32_t> defaultValue;
    std::uint32_t flags = 0;  // V4L2_CTRL_FLAG_*

    std::uint32_t effectiveType() const;
};

// A control of a vendor's extension unit, answered through the driver's extension-unit query.
struct FakeUvcExtensionControl {
    std::uint8_t unit = 0;
    std::uint8_t selector = 0;
    std::uint16_t size = 1;
    std::uint8_t info = 0x03;
    std::int64_t minimum = 0;
    std::int64_t maximum = 255;
    std::int64_t defaultValue = 0;
    std::int64_t current = 0;
};

// What makes a capture node's USB device a USB Video Class camera in sysfs and usbfs.
struct FakeUvcPersonality {
    int devnum = 0;
    int configurationValue = 1;
    // The sysfs `descriptors` file: the device descriptor and the configurations.
    QByteArray descriptors;
    // Whether uvcvideo holds the video interfaces; unbound, the nodes leave /dev.
    bool driverBound = true;
    QList<FakeUvcExtensionControl> extensionControls;
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
    // Set on a USB camera's capture node: its USB device, interfaces and usbfs node exist too.
    std::optional<FakeUvcPersonality> uvc;
};

class FakeUsbBus;

// A V4L2 device as the kernel shows it, in memory: the nodes of a JSON fixture, answering the
// ioctls the backend makes and contending as the kernel does. One handle holds the record
// priority, and while it does every other handle's priority-checked call (S_FMT, S_PARM,
// S_CTRL, REQBUFS, STREAMON) answers EBUSY. The handle that allocated buffers owns the queue:
// another handle's REQBUFS, even of zero buffers, answers EBUSY, and nobody changes the format
// while the queue is owned. Streaming fills YUYV frames at the format's interval. /proc answers
// with the processes that have nodes open, and sysfs with the USB attributes. Nodes with a UVC
// personality also bring their USB devices: /sys/bus/usb and /dev/bus/usb answer as the kernel's
// do, and the capture node answers the driver's extension-unit query.
class FakeV4L2System final : public V4L2System {
public:
    explicit FakeV4L2System(QList<FakeV4L2NodeSpec> nodes);
    ~FakeV4L2System() override;
    // The nodes of a fixture file; absent with `error` set when it can't be read.
    static std::optional<QList<FakeV4L2NodeSpec>> loadFixture(const QString& path,
                                                              QString* error = nullptr);

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

    // Another process opens a node: its handles are listed in /proc under `pid` as `name`.
    int openAs(const QString& path, std::int32_t pid, const QString& name);
    // Unplugs a node: it leaves /dev and its open handles answer ENODEV.
    void unplug(const QString& name);
    void plug(const FakeV4L2NodeSpec& node);
    // How many successful S_FMT calls a node saw.
    int formatChanges(const QString& name) const;
    // A control's value as the node holds it; absent when it has no such control.
    std::optional<std::int32_t> controlValue(const QString& name, std::uint32_t id) const;
    // uvcvideo lets go of every USB camera: their nodes leave /dev, and their interfaces can be
    // claimed through usbfs.
    void unbindUvcDriver();
    // Every control call (V4L2 controls, the extension-unit query, usbfs control transfers)
    // takes this long, as a hung or slow camera's would. Other calls aren't held up meanwhile.
    void setSimulatedRequestDelay(std::chrono::milliseconds delay);

private:
    struct Node;
    struct Handle {
        std::shared_ptr<Node> node;
        std::int32_t pid = 0;
        QString processName;
        // Shared by the descriptors of one open file, as the kernel's file handle is.
        std::shared_ptr<std::uint32_t> priority =
            std::make_shared<std::uint32_t>(2);  // V4L2_PRIORITY_DEFAULT
    };

    int dispatch(std::unique_lock<std::mutex>& lock, int fd, Handle& handle, unsigned long request,
                 void* argument);
    bool priorityAllows(const Node& node, int fd) const;
    void releaseQueue(Node& node);
    void touch();

    int controlQuery(Node& node, void* argument);

    mutable std::mutex mutex_;
    std::unique_ptr<FakeUsbBus> bus_;
    std::atomic<std::int64_t> requestDelayMs_{0};
    std::condition_variable activity_;
    std::uint64_t activityCount_ = 0;
    bool interrupted_ = false;
    QList<std::shared_ptr<Node>> nodes_;
    std::map<int, Handle> handles_;
    int nextFD_ = 1000;
};

}  // namespace tavrin
