#pragma once

#include <chrono>
#include <memory>

#include "platform/CompositeCaptureDeviceService.h"
#include "platform/CompositeDeviceFramework.h"
#include "platform/Platform.h"
#include "platform/fake/FakePlatform.h"
#include "platform/linux/FreedesktopSymbolCatalog.h"
#include "platform/linux/LinuxDeviceSources.h"
#include "platform/linux/LinuxProcessNames.h"
#include "platform/linux/LinuxUsbService.h"
#include "platform/linux/PulseAudioCapture.h"
#include "platform/linux/PulseAudioHardware.h"
#include "platform/linux/PulseCaptureDeviceService.h"
#include "platform/linux/PulseConnection.h"
#include "platform/linux/PulseDeviceFramework.h"
#include "platform/linux/V4L2Cameras.h"
#include "platform/linux/XRandrBackend.h"

namespace tavrin {

// The platform of a Linux desktop: microphones, their audio hardware objects, capture and the
// recording processes come from the sound server (PulseAudio, or PipeWire's pulse server);
// cameras, their capture devices, preview and media I/O from V4L2. Displays come from the X
// server's RandR extension when one answers at the sources' display (in a Wayland session
// there is none: the application puts Qt's screens in their place). USB devices and their
// video-control interfaces come from sysfs, usbfs and the uvcvideo driver, over the cameras'
// system-call seam. Without an X server, displays have no Linux backend: they are an empty
// in-memory platform's.
class LinuxPlatform final : public Platform {
public:
    // Connects to the sound server (`server` empty: the session's default) and finds the
    // cameras and displays of `sources`. Absent when there are none of them: no video node, no
    // X server, and no sound server that answers with a complete state within `timeout`.
    static std::unique_ptr<LinuxPlatform> connect(
        MainThreadQueue& queue, const QString& server, std::chrono::milliseconds timeout,
        LinuxDeviceSources sources = LinuxDeviceSources::thisMachine());
    ~LinuxPlatform() override;

    DeviceFramework& deviceFramework() override { return framework_; }
    CaptureDeviceService& captureDevices() override { return captureDevices_; }
    const SymbolCatalog& symbols() const override { return symbols_; }
    ObjectPropertyService& audioHardware() override { return audioHardware_; }
    ProcessNameService& processNames() override { return processNames_; }
    std::shared_ptr<UsbService> usb() override { return usb_; }
    ObjectPropertyService& mediaIO() override { return cameras_.mediaIO(); }
    AudioCaptureService& audioCapture() override { return audioCapture_; }
    DisplayServices& displayServices() override {
        return displays_ ? displays_->services() : rest_.displayServices();
    }

private:
    LinuxPlatform(MainThreadQueue& queue, const QString& server, LinuxDeviceSources sources);

    // Made first and stopped first of all in the destructor: no server callback reaches the
    // services below while they go.
    std::unique_ptr<PulseConnection> connection_;
    PulseAudioHardware audioHardware_;
    PulseDeviceFramework microphoneFramework_;
    PulseCaptureDeviceService microphoneCaptureDevices_;
    PulseAudioCaptureService audioCapture_;
    LinuxProcessNames processNames_;
    FreedesktopSymbolCatalog symbols_;
    FakePlatform rest_;
    std::unique_ptr<XRandrBackend> displays_;
    V4L2Cameras cameras_;
    std::shared_ptr<LinuxUsbService> usb_;
    // A camera's ID goes to V4L2, a microphone's to the sound server.
    CompositeCaptureDeviceService captureDevices_;
    // Each kind of device from its own backend.
    CompositeDeviceFramework framework_;
};

}  // namespace tavrin
