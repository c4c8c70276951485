#include "contract/UvcGadget.h"

#include <QDir>
#include <QFile>

#include "platform/linux/V4L2Mapping.h"

namespace tavrin::testing {
namespace {

const QString devicesDirectory = QStringLiteral("/sys/bus/usb/devices/");
const QString driverDirectory = QStringLiteral("/sys/bus/usb/drivers/uvcvideo/");

// pid.codes' test IDs, which scripts/vivid-vm/uvc-gadget.sh gives the gadget.
const QLatin1String vendorID("1209");
const QLatin1String productID("0001");

QString sysfsText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()).trimmed()
                                          : QString();
}

bool writeSysfs(const QString& path, const QString& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text.toLatin1()) == text.size();
}

QStringList entries(const QString& directory) {
    return QDir(directory).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System);
}

}  // namespace

std::unique_ptr<UvcGadget> UvcGadget::find() {
    for (const auto& name : entries(devicesDirectory)) {
        const auto device = devicesDirectory + name + QLatin1Char('/');
        if (sysfsText(device + QStringLiteral("idVendor")) != vendorID ||
            sysfsText(device + QStringLiteral("idProduct")) != productID) {
            continue;
        }
        const auto location =
            V4L2Mapping::usbLocationID(sysfsText(device + QStringLiteral("busnum")).toInt(),
                                       sysfsText(device + QStringLiteral("devpath")));
        return location ? std::make_unique<UvcGadget>(name, *location) : nullptr;
    }
    return nullptr;
}

UvcGadget::~UvcGadget() {
    giveBackToDriver();
}

QString UvcGadget::captureNode() const {
    const QString nodes = QStringLiteral("/sys/class/video4linux/");
    const auto device = QDir(devicesDirectory + device_).canonicalPath() + QLatin1Char('/');
    for (const auto& node : entries(nodes)) {
        // uvcvideo numbers the capture node 0 and the metadata node 1.
        const auto interface = QDir(nodes + node + QStringLiteral("/device")).canonicalPath();
        if (interface.startsWith(device) &&
            sysfsText(nodes + node + QStringLiteral("/index")) == QLatin1String("0")) {
            return QStringLiteral("/dev/") + node;
        }
    }
    return {};
}

bool UvcGadget::takeFromDriver() {
    // Unbinding the video-control interface lets the streaming interface go with it.
    for (const auto& interface : entries(driverDirectory)) {
        if (interface.startsWith(device_ + QLatin1Char(':')) &&
            QFile::exists(driverDirectory + interface) &&
            writeSysfs(driverDirectory + QStringLiteral("unbind"), interface)) {
            taken_.append(interface);
        }
    }
    const auto held = entries(driverDirectory).filter(device_ + QLatin1Char(':'));
    return !taken_.isEmpty() && held.isEmpty();
}

void UvcGadget::giveBackToDriver() {
    // Binding the video-control interface claims the streaming one too; binding that one after
    // it then fails harmlessly.
    for (const auto& interface : std::as_const(taken_)) {
        writeSysfs(driverDirectory + QStringLiteral("bind"), interface);
    }
    taken_.clear();
}

}  // namespace tavrin::testing
