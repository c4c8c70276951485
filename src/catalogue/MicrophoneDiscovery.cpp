#include "catalogue/MicrophoneDiscovery.h"

#include "app/AppContext.h"
#include "audio/MicrophoneDevice.h"
#include "catalogue/DeviceListUpdate.h"

namespace tavrin {

MicrophoneDiscovery::MicrophoneDiscovery(AppContext& context) : context_(context) {
    updateTask_ = context.platform().deviceFramework().microphoneUpdates(
        [this](const DeviceList<SXMicrophone>& list) {
            auto updated = updatedCaptureList(context_, idMap_, microphones_, list);
            if (updated != microphones_) {
                microphones_ = std::move(updated);
                emit microphonesChanged();
            }
        });
}

}  // namespace tavrin
