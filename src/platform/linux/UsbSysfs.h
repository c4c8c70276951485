#pragma once

#include <QString>
#include <optional>

#include "platform/linux/V4L2System.h"

namespace tavrin {

// Reading the USB devices' sysfs attributes (/sys/bus/usb/devices/<name>/<attribute>). The
// texts are the kernel's, but a number is still parsed with bounds: a value above `maximum`, or
// a text that isn't one number, is absent.
namespace UsbSysfs {

inline const QString devicesDirectory = QStringLiteral("/sys/bus/usb/devices");

QString path(const QString& entry, const QString& attribute = {});
// The attribute's text without surrounding white space; absent when it can't be read.
std::optional<QString> text(V4L2System& system, const QString& entry, const QString& attribute);
std::optional<int> hexNumber(V4L2System& system, const QString& entry, const QString& attribute,
                             int maximum);
std::optional<int> decimalNumber(V4L2System& system, const QString& entry, const QString& attribute,
                                 int maximum);

}  // namespace UsbSysfs

}  // namespace tavrin
