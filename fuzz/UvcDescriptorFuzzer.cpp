// Feeds untrusted bytes to the USB descriptor walk, to the parser of sysfs's `descriptors` file
// and to the location-ID parser: none may read out of bounds, loop forever or trip the
// sanitizers, whatever a device or a unique ID says.
#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

#include "platform/linux/UsbConfigurationDescriptors.h"
#include "uvc/UVCDescriptors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto descriptors = tavrin::classSpecificInterfaceDescriptors(bytes);
    qsizetype total = 0;
    for (const auto& descriptor : descriptors) {
        total += descriptor.size();
    }
    if (total > bytes.size()) {
        __builtin_trap();
    }
    tavrin::readUnitIDs(descriptors);

    // The same bytes as a whole sysfs `descriptors` file: every configuration lies within it,
    // and so does every interface's share of one.
    namespace Configuration = tavrin::UsbConfigurationDescriptors;
    for (const auto& configuration : Configuration::configurations(bytes)) {
        if (configuration.size() > bytes.size()) {
            __builtin_trap();
        }
        for (const auto& interface : Configuration::interfaces(configuration)) {
            const auto associated =
                Configuration::interfaceAssociatedBytes(bytes, std::nullopt, interface.number);
            if (associated && associated->size() > bytes.size()) {
                __builtin_trap();
            }
        }
    }
    if (const auto associated = Configuration::interfaceAssociatedBytes(bytes, 1, 0)) {
        tavrin::videoControlUnits(*associated);
    }
    tavrin::videoControlUnits(bytes);
    tavrin::readUnitIDs({bytes});
    tavrin::locationIDCandidates(QString::fromLatin1(bytes));
    tavrin::locationIDCandidates(QString::fromUtf8(bytes));
    return 0;
}
