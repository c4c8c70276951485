#include "ui/DeviceChanges.h"

#include "audio/MicrophoneDevice.h"
#include "camera/CameraDevice.h"
#include "catalogue/DeviceStore.h"
#include "display/DisplayDevice.h"

namespace tavrin {

namespace {

template <typename Model, typename... Signals>
void connectAll(Model* model, QObject* context, const std::function<void()>& onChange,
                Signals... changeSignals) {
    (QObject::connect(model, changeSignals, context, onChange), ...);
}

}  // namespace

void connectDeviceChanges(const DeviceEntry& entry, DeviceAspect aspect, QObject* context,
                          const std::function<void()>& onChange) {
    if (const auto camera = entry.camera()) {
        auto* model = camera.get();
        if (aspect == DeviceAspect::name) {
            connectAll(model, context, onChange, &CameraDevice::localizedNameChanged);
            return;
        }
        connectAll(model, context, onChange, &CameraDevice::availabilityChanged,
                   &CameraDevice::isInUseByAnotherApplicationChanged,
                   &CameraDevice::isRunningSomewhereChanged, &CameraDevice::isSuspendedChanged);
        if (aspect == DeviceAspect::row) {
            connectAll(model, context, onChange, &CameraDevice::manufacturerChanged,
                       &CameraDevice::modelIDChanged, &CameraDevice::sourceObjectChanged);
        }
        if (aspect == DeviceAspect::title) {
            connectAll(model, context, onChange, &CameraDevice::activeFormatChanged,
                       &CameraDevice::activeFrameDurationsChanged);
        }
    } else if (const auto microphone = entry.microphone()) {
        auto* model = microphone.get();
        if (aspect == DeviceAspect::name) {
            connectAll(model, context, onChange, &MicrophoneDevice::localizedNameChanged);
            return;
        }
        connectAll(model, context, onChange, &MicrophoneDevice::availabilityChanged,
                   &MicrophoneDevice::isRunningSomewhereChanged, &MicrophoneDevice::isMutedChanged);
        if (aspect == DeviceAspect::row) {
            connectAll(model, context, onChange, &MicrophoneDevice::manufacturerChanged,
                       &MicrophoneDevice::modelIDChanged, &MicrophoneDevice::sourceObjectChanged);
        }
    } else if (const auto display = entry.display()) {
        auto* model = display.get();
        if (aspect == DeviceAspect::name) {
            connectAll(model, context, onChange, &DisplayDevice::localizedNameChanged);
            return;
        }
        connectAll(model, context, onChange, &DisplayDevice::availabilityChanged);
        if (aspect == DeviceAspect::row) {
            connectAll(model, context, onChange, &DisplayDevice::backingPixelSizeChanged,
                       &DisplayDevice::sxDisplayChanged);
        }
    }
}

void connectDeviceListChanges(DeviceStore& store, QObject* context,
                              const std::function<void()>& onChange) {
    QObject::connect(&store.cameraDiscovery(), &CameraDiscovery::camerasChanged, context, onChange);
    QObject::connect(&store.microphoneDiscovery(), &MicrophoneDiscovery::microphonesChanged,
                     context, onChange);
    QObject::connect(&store.displayDiscovery(), &DisplayDiscovery::displaysChanged, context,
                     onChange);
}

}  // namespace tavrin
