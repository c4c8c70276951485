#include "platform/linux/UsbSysfs.h"

namespace tavrin::UsbSysfs {

namespace {

std::optional<int> number(V4L2System& system, const QString& entry, const QString& attribute,
                          int base, int maximum) {
    const auto value = text(system, entry, attribute);
    if (!value || value->isEmpty() || value->size() > 10) {
        return std::nullopt;
    }
    bool ok = false;
    const auto parsed = value->toLongLong(&ok, base);
    if (!ok || parsed < 0 || parsed > maximum) {
        return std::nullopt;
    }
    return int(parsed);
}

}  // namespace

QString path(const QString& entry, const QString& attribute) {
    return attribute.isEmpty()
               ? devicesDirectory + QLatin1Char('/') + entry
               : devicesDirectory + QLatin1Char('/') + entry + QLatin1Char('/') + attribute;
}

std::optional<QString> text(V4L2System& system, const QString& entry, const QString& attribute) {
    const auto bytes = system.readFile(path(entry, attribute));
    if (!bytes) {
        return std::nullopt;
    }
    return QString::fromUtf8(*bytes).trimmed();
}

std::optional<int> hexNumber(V4L2System& system, const QString& entry, const QString& attribute,
                             int maximum) {
    return number(system, entry, attribute, 16, maximum);
}

std::optional<int> decimalNumber(V4L2System& system, const QString& entry, const QString& attribute,
                                 int maximum) {
    return number(system, entry, attribute, 10, maximum);
}

}  // namespace tavrin::UsbSysfs
