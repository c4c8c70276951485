#include "audio/AudioDeviceLookup.h"

#include "platform/AudioHardware.h"

namespace tavrin {

std::optional<ObjectID> audioDeviceID(ObjectPropertyService& hardware, const QString& uid) {
    const auto device = readProperty<std::uint32_t>(
        hardware, systemObjectID, globalAddress(AudioSelector::translateUIDToDevice), uid);
    if (!device || *device == unknownObjectID) {
        return std::nullopt;
    }
    return ObjectID(*device);
}

}  // namespace tavrin
