#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <list>
#include <map>
#include <memory>
#include <optional>

#include "platform/fake/FakeUvcCamera.h"
#include "platform/fake/FakeV4L2System.h"
#include "platform/linux/UsbConfigurationDescriptors.h"

namespace tavrin {

// The USB side of the fake V4L2 device: the sysfs tree under /sys/bus/usb/devices (the cameras
// of the nodes with a UVC personality, the hubs they hang off and the root hubs) and the usbfs
// nodes /dev/bus/usb/BBB/DDD, whose control transfers a camera built from the same fixture
// answers. Claiming an interface that uvcvideo holds answers EBUSY, as the kernel does. The
// FakeV4L2System that owns it serialises every call under its own lock.
class FakeUsbBus {
public:
    explicit FakeUsbBus(const QList<FakeV4L2NodeSpec>& nodes);

    static bool ownsPath(const QString& path);
    // Whether two nodes belong to one USB device.
    static bool sameDevice(const FakeV4L2NodeSpec& left, const FakeV4L2NodeSpec& right);
    // `presentNodes`: the video nodes now in /dev.
    QStringList listDirectory(const QString& path, const QStringList& presentNodes) const;
    std::optional<QByteArray> readFile(const QString& path) const;
    QString readLink(const QString& path) const;

    // A usbfs handle numbered `fd`, or -errno.
    int open(const QString& path, int fd);
    bool ownsHandle(int fd) const { return handles_.count(fd) != 0; }
    int close(int fd);
    int ioctl(int fd, unsigned long request, void* argument);

    // The USB device of a video node leaves: its sysfs entries go, its usbfs handles answer
    // ENODEV. Gives the names of all the device's video nodes, which go with it.
    QStringList unplugNode(const QString& nodeName);
    // A node comes: with a UVC personality its USB device comes (back) too, and any node of that
    // device is listed under its video-control interface. Old usbfs handles stay dead.
    void plugNode(const FakeV4L2NodeSpec& node);
    // uvcvideo lets go of every camera; gives the names of their video nodes.
    QStringList unbindUvcDriver();

private:
    struct Interface {
        QString name;  // "1-1.4:1.0"
        UsbConfigurationDescriptors::InterfaceDescriptor descriptor;
        bool heldByVideoDriver = false;
    };
    struct Device {
        QString name;  // "1-1.4"
        int bus = 0;
        int address = 0;
        QHash<QString, QByteArray> attributes;
        QList<Interface> interfaces;
        QStringList videoNodes;
        std::shared_ptr<FakeUvcCamera> camera;
        bool present = true;
    };
    struct Handle {
        Device* device = nullptr;
        QSet<unsigned int> claimed;
        bool stale = false;  // its device was unplugged since it was opened
    };

    static QString deviceName(const FakeV4L2NodeSpec& node);
    void addCamera(const FakeV4L2NodeSpec& node);
    void addHub(int bus, const QString& devpath);
    const Device* device(const QString& name) const;
    Device* anyDevice(const QString& name);
    const Interface* interface(const QString& name, const Device** owner = nullptr) const;
    int control(Handle& handle, void* argument);
    bool claimedElsewhere(const Device& device, unsigned int number, int fd) const;

    std::list<Device> devices_;  // stable addresses for the handles
    std::map<int, Handle> handles_;
};

}  // namespace tavrin
