#pragma once

#include "catalogue/CaptureSourceDevice.h"

namespace tavrin {

// The model of one audio input, kept by the microphone discovery for the whole run. It follows
// the framework microphone's published values and the usage of the device of the same ID.
class MicrophoneDevice final : public CaptureSourceDevice,
                               public std::enable_shared_from_this<MicrophoneDevice> {
    Q_OBJECT
public:
    // Creates the model from a framework microphone and records its "Discovered" event.
    static std::shared_ptr<MicrophoneDevice> create(AppContext& context,
                                                    std::shared_ptr<SXMicrophone> microphone);

    DeviceEntry entry() override;

    std::shared_ptr<SXMicrophone> sxMicrophone() const;
    // Adopts a newer framework object for the same microphone.
    void update(const std::shared_ptr<SXMicrophone>& microphone);

private:
    MicrophoneDevice(AppContext& context, std::shared_ptr<SXMicrophone> microphone);
};

}  // namespace tavrin
