#pragma once

#include <QByteArray>
#include <QList>
#include <cstdint>
#include <optional>

namespace tavrin {

// What sysfs's `descriptors` file of a USB device holds: the 18-byte device descriptor, then the
// raw configuration descriptors of every configuration, each followed by its interfaces'
// descriptors. The bytes are the device's, so every length is checked: a descriptor shorter than
// two bytes, one that runs past its configuration, or a configuration whose wTotalLength runs
// past the file ends the walk with what was read so far.
namespace UsbConfigurationDescriptors {

struct InterfaceDescriptor {
    std::uint8_t number = 0;
    std::uint8_t alternateSetting = 0;
    std::uint8_t interfaceClass = 0;
    std::uint8_t interfaceSubClass = 0;

    friend bool operator==(const InterfaceDescriptor&, const InterfaceDescriptor&) = default;
};

// Each configuration's bytes, as long as its wTotalLength says.
QList<QByteArray> configurations(const QByteArray& file);
// The interface descriptors of one configuration, every alternate setting.
QList<InterfaceDescriptor> interfaces(const QByteArray& configuration);
// The bytes that follow alternate setting 0 of interface `interfaceNumber`, up to the next
// interface descriptor or the configuration's end, in the configuration whose
// bConfigurationValue is `configurationValue` (the first when none is, or none is given). Absent
// when the interface isn't there.
std::optional<QByteArray> interfaceAssociatedBytes(const QByteArray& file,
                                                   std::optional<int> configurationValue,
                                                   std::uint8_t interfaceNumber);

}  // namespace UsbConfigurationDescriptors

// The units that a video-control interface's class-specific descriptors announce, in their order.
struct VideoControlUnits {
    // Input terminals of type 0x0201 (camera).
    QList<std::uint8_t> cameraTerminals;
    QList<std::uint8_t> processingUnits;
    QList<std::uint8_t> extensionUnits;
};

VideoControlUnits videoControlUnits(const QByteArray& associatedBytes);

}  // namespace tavrin
