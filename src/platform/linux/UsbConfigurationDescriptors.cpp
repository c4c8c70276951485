#include "platform/linux/UsbConfigurationDescriptors.h"

#include <functional>

#include "platform/UsbDescriptorWalk.h"

namespace tavrin {

namespace {

constexpr qsizetype deviceDescriptorLength = 18;
constexpr qsizetype configurationDescriptorLength = 9;
constexpr qsizetype interfaceDescriptorLength = 9;
constexpr std::uint8_t configurationType = 0x02;
constexpr std::uint8_t interfaceType = 0x04;
constexpr std::uint8_t inputTerminalSubtype = 0x02;
constexpr std::uint8_t processingUnitSubtype = 0x05;
constexpr std::uint8_t extensionUnitSubtype = 0x06;
constexpr std::uint16_t cameraTerminalType = 0x0201;

std::uint8_t byteAt(const QByteArray& bytes, qsizetype index) {
    return std::uint8_t(bytes[index]);
}

// Calls `visit(offset, length)` for each whole descriptor of a configuration; stops early when
// `visit` answers false or a length is implausible.
void forEachDescriptor(const QByteArray& bytes,
                       const std::function<bool(qsizetype, qsizetype)>& visit) {
    qsizetype offset = 0;
    while (offset + 2 <= bytes.size()) {
        const qsizetype length = byteAt(bytes, offset);
        if (length < 2 || length > bytes.size() - offset || !visit(offset, length)) {
            return;
        }
        offset += length;
    }
}

bool isInterfaceDescriptor(const QByteArray& bytes, qsizetype offset, qsizetype length) {
    return byteAt(bytes, offset + 1) == interfaceType && length >= interfaceDescriptorLength;
}

}  // namespace

namespace UsbConfigurationDescriptors {

QList<QByteArray> configurations(const QByteArray& file) {
    QList<QByteArray> result;
    qsizetype offset = deviceDescriptorLength;
    while (offset + configurationDescriptorLength <= file.size()) {
        const qsizetype length = byteAt(file, offset);
        const qsizetype total = byteAt(file, offset + 2) | byteAt(file, offset + 3) << 8;
        if (byteAt(file, offset + 1) != configurationType ||
            length < configurationDescriptorLength || total < length ||
            total > file.size() - offset) {
            break;
        }
        result.append(file.mid(offset, total));
        offset += total;
    }
    return result;
}

QList<InterfaceDescriptor> interfaces(const QByteArray& configuration) {
    QList<InterfaceDescriptor> result;
    forEachDescriptor(configuration, [&](qsizetype offset, qsizetype length) {
        if (isInterfaceDescriptor(configuration, offset, length)) {
            result.append({byteAt(configuration, offset + 2), byteAt(configuration, offset + 3),
                           byteAt(configuration, offset + 5), byteAt(configuration, offset + 6)});
        }
        return true;
    });
    return result;
}

std::optional<QByteArray> interfaceAssociatedBytes(const QByteArray& file,
                                                   std::optional<int> configurationValue,
                                                   std::uint8_t interfaceNumber) {
    const auto all = configurations(file);
    if (all.isEmpty()) {
        return std::nullopt;
    }
    QByteArray configuration = all.front();
    for (const auto& candidate : all) {
        if (configurationValue && byteAt(candidate, 5) == *configurationValue) {
            configuration = candidate;
            break;
        }
    }
    qsizetype begin = -1;
    qsizetype end = configuration.size();
    forEachDescriptor(configuration, [&](qsizetype offset, qsizetype length) {
        if (!isInterfaceDescriptor(configuration, offset, length)) {
            return true;
        }
        if (begin >= 0) {
            end = offset;
            return false;
        }
        if (byteAt(configuration, offset + 2) == interfaceNumber &&
            byteAt(configuration, offset + 3) == 0) {
            begin = offset + length;
        }
        return true;
    });
    if (begin < 0) {
        return std::nullopt;
    }
    return configuration.mid(begin, end - begin);
}

}  // namespace UsbConfigurationDescriptors

VideoControlUnits videoControlUnits(const QByteArray& associatedBytes) {
    VideoControlUnits units;
    for (const auto& descriptor : classSpecificInterfaceDescriptors(associatedBytes)) {
        // The walk hands out whole descriptors of at least two bytes; each field is read only
        // where the descriptor is long enough to hold it.
        if (descriptor.size() < 4) {
            continue;
        }
        const auto subtype = byteAt(descriptor, 2);
        const auto id = byteAt(descriptor, 3);
        if (subtype == processingUnitSubtype) {
            units.processingUnits.append(id);
        } else if (subtype == extensionUnitSubtype) {
            units.extensionUnits.append(id);
        } else if (subtype == inputTerminalSubtype && descriptor.size() >= 8 &&
                   (byteAt(descriptor, 4) | byteAt(descriptor, 5) << 8) == cameraTerminalType) {
            units.cameraTerminals.append(id);
        }
    }
    return units;
}

}  // namespace tavrin
