// Feeds untrusted bytes to the EDID parser: whatever a monitor or a client that set the output
// property says, it may not read out of bounds or give a name longer than a descriptor holds.
#include <cstddef>
#include <cstdint>

#include "platform/linux/Edid.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto info =
        tavrin::parseEdid(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (info && info->monitorName && info->monitorName->size() > 13) {
        __builtin_trap();
    }
    return 0;
}
