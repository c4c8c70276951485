// Feeds untrusted bytes to the USB descriptor walk and to the location-ID parser: neither may
// read out of bounds, loop forever or trip the sanitizers, whatever a device or a unique ID says.
#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

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
    tavrin::readUnitIDs({bytes});
    tavrin::locationIDCandidates(QString::fromLatin1(bytes));
    tavrin::locationIDCandidates(QString::fromUtf8(bytes));
    return 0;
}
