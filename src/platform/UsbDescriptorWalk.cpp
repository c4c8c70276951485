#include "platform/UsbDescriptorWalk.h"

#include <cstdint>

namespace tavrin {

namespace {

constexpr std::uint8_t interfaceDescriptorType = 0x04;
constexpr std::uint8_t classSpecificInterfaceType = 0x24;

}  // namespace

QList<QByteArray> classSpecificInterfaceDescriptors(const QByteArray& bytes) {
    QList<QByteArray> descriptors;
    qsizetype offset = 0;
    while (offset + 2 <= bytes.size()) {
        const qsizetype length = std::uint8_t(bytes[offset]);
        if (length < 2 || length > bytes.size() - offset) {
            break;
        }
        const auto type = std::uint8_t(bytes[offset + 1]);
        // Some layers hand over the video-control interface's own descriptor first; any later
        // interface descriptor begins the next interface, whose descriptors are not ours.
        if (type == interfaceDescriptorType && offset > 0) {
            break;
        }
        if (type == classSpecificInterfaceType) {
            descriptors.append(bytes.mid(offset, length));
        }
        offset += length;
    }
    return descriptors;
}

}  // namespace tavrin
