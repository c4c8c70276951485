#include "audio/MicrophoneDevice.h"

#include "catalogue/ChangeMessage.h"
#include "catalogue/DeviceEntry.h"
#include "catalogue/EventSource.h"
#include "runtime/TextFormat.h"

namespace tavrin {

MicrophoneDevice::MicrophoneDevice(AppContext& context, std::shared_ptr<SXMicrophone> microphone)
    : CaptureSourceDevice(context, std::move(microphone)) {}

std::shared_ptr<MicrophoneDevice> MicrophoneDevice::create(
    AppContext& context, std::shared_ptr<SXMicrophone> microphone) {
    std::shared_ptr<MicrophoneDevice> device(new MicrophoneDevice(context, microphone));
    device->subscribe(microphone);
    // The format part stays absent until the microphone follows its capture device.
    QStringList parts{absentText(), device->usagePart()};
    parts += device->captureDeviceDiscoveryParts();
    device->recordEvent(discoveryMessage(device->localizedName(), parts), EventSource::discovery);
    return device;
}

DeviceEntry MicrophoneDevice::entry() {
    return DeviceEntry(shared_from_this());
}

std::shared_ptr<SXMicrophone> MicrophoneDevice::sxMicrophone() const {
    return std::static_pointer_cast<SXMicrophone>(sourceObject());
}

void MicrophoneDevice::update(const std::shared_ptr<SXMicrophone>& microphone) {
    adopt(microphone);
}

}  // namespace tavrin
