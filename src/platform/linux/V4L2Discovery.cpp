#include "platform/linux/V4L2Discovery.h"

#include <QLoggingCategory>
#include <algorithm>

#include "platform/linux/V4L2Mapping.h"

Q_LOGGING_CATEGORY(lcV4L2Discovery, "tavrin.v4l2.discovery")

namespace tavrin::V4L2Discovery {

QStringList videoNodes(V4L2System& system) {
    QStringList nodes;
    for (const auto& name : system.listDirectory(QStringLiteral("/dev"))) {
        bool isNumber = false;
        if (name.startsWith(QLatin1String("video")) && (name.mid(5).toInt(&isNumber), isNumber)) {
            nodes.append(name);
        }
    }
    std::sort(nodes.begin(), nodes.end(), [](const QString& a, const QString& b) {
        return a.mid(5).toInt() < b.mid(5).toInt();
    });
    return nodes;
}

namespace {

QString attribute(V4L2System& system, const QString& nodeName, const QString& name,
                  bool ofUsbDevice) {
    // The node's "device" is the USB interface; its parent directory is the USB device.
    const auto path =
        QStringLiteral("/sys/class/video4linux/%1/%2%3")
            .arg(nodeName, ofUsbDevice ? QStringLiteral("device/../") : QString(), name);
    const auto bytes = system.readFile(path).value_or(QByteArray()).left(256);
    return QString::fromUtf8(bytes).trimmed();
}

}  // namespace

bool isFirstNodeOfDevice(V4L2System& system, const QString& nodeName) {
    const auto index = attribute(system, nodeName, QStringLiteral("index"), false);
    return index.isEmpty() || index == QLatin1String("0");
}

V4L2CameraIdentity identify(V4L2System& system, const QString& nodeName,
                            const std::optional<V4L2Capabilities>& capabilities) {
    V4L2CameraIdentity identity;
    identity.node = QStringLiteral("/dev/") + nodeName;
    identity.isAuthorized = capabilities.has_value();
    const auto usb = [&](const char* name) {
        return attribute(system, nodeName, QString::fromLatin1(name), true);
    };
    const auto vendor = usb("idVendor");
    const auto product = usb("idProduct");
    const bool isUsb = !vendor.isEmpty() && !product.isEmpty() &&
                       (!capabilities || capabilities->busInfo.startsWith(QLatin1String("usb")));
    const auto driver = capabilities ? capabilities->driver : QString();
    identity.isVirtual = V4L2Mapping::isVirtualDriver(driver);
    identity.localizedName = capabilities ? capabilities->card : QString();
    const auto productName = isUsb ? usb("product") : QString();
    // The card field holds 31 bytes: uvcvideo's "product: entity" names come cut off mid-word
    // ("Integrated Camera: Integrated C"). The USB product they begin with reads better.
    constexpr qsizetype cardCapacity = 31;
    if (identity.localizedName.isEmpty() ||
        (identity.localizedName.toUtf8().size() >= cardCapacity && !productName.isEmpty() &&
         identity.localizedName.startsWith(productName))) {
        identity.localizedName = productName;
    }
    if (identity.localizedName.isEmpty()) {
        identity.localizedName = attribute(system, nodeName, QStringLiteral("name"), false);
    }
    if (identity.localizedName.isEmpty()) {
        identity.localizedName = nodeName;
    }

    if (isUsb) {
        identity.manufacturer = usb("manufacturer");
        identity.modelID = vendor + QLatin1Char(':') + product;
        identity.transportType = std::int32_t(fourCC("usb "));
        identity.deviceType = usb("removable") == QLatin1String("fixed")
                                  ? CaptureDeviceType::builtInWideAngleCamera
                                  : CaptureDeviceType::external;
        const auto bus = usb("busnum").toInt();
        const auto portPath = usb("devpath");
        const auto vendorID = std::uint16_t(vendor.toUShort(nullptr, 16));
        const auto productID = std::uint16_t(product.toUShort(nullptr, 16));
        if (const auto location = V4L2Mapping::usbLocationID(bus, portPath)) {
            identity.uniqueID = V4L2Mapping::usbUniqueID(*location, vendorID, productID);
        } else {
            qCWarning(lcV4L2Discovery).noquote()
                << identity.node << "is on USB port path" << portPath << "of bus" << bus
                << ", which a location ID can't hold; its UVC controls are not offered";
            identity.uniqueID =
                V4L2Mapping::unpackedUsbUniqueID(bus, portPath, vendorID, productID);
        }
        return identity;
    }
    identity.transportType = std::int32_t(identity.isVirtual ? fourCC("virt") : fourCC("bltn"));
    identity.deviceType = identity.isVirtual ? CaptureDeviceType::external
                                             : CaptureDeviceType::builtInWideAngleCamera;
    identity.uniqueID =
        capabilities ? V4L2Mapping::driverUniqueID(capabilities->driver, capabilities->busInfo)
                     : QStringLiteral("v4l2:") + nodeName;
    return identity;
}

QHash<QString, QList<V4L2Opener>> openers(V4L2System& system, const QStringList& nodePaths) {
    QHash<QString, QList<V4L2Opener>> found;
    for (const auto& process : system.listDirectory(QStringLiteral("/proc"))) {
        bool isNumber = false;
        const auto pid = process.toInt(&isNumber);
        if (!isNumber) {
            continue;
        }
        const auto directory = QStringLiteral("/proc/%1/fd").arg(pid);
        QString name;
        for (const auto& fd : system.listDirectory(directory)) {
            const auto target = system.readLink(directory + QLatin1Char('/') + fd);
            if (!nodePaths.contains(target)) {
                continue;
            }
            if (name.isNull()) {
                const auto comm = system.readFile(QStringLiteral("/proc/%1/comm").arg(pid));
                name = QString::fromUtf8(comm.value_or(QByteArray()).left(64)).trimmed();
            }
            auto& list = found[target];
            const V4L2Opener opener{pid, name};
            if (!list.contains(opener)) {
                list.append(opener);
            }
        }
    }
    return found;
}

}  // namespace tavrin::V4L2Discovery
