#pragma once

#include <QHash>
#include <QString>
#include <memory>
#include <optional>

#include "platform/UsbService.h"
#include "platform/UvcDiagnostics.h"
#include "uvc/UVCControl.h"

namespace tavrin {

// Talks to one USB camera's video-control interface directly with USB Video Class requests:
// finds the USB device of a camera's unique ID, opens it and its video-control interface, learns
// the camera terminal and processing unit IDs from the descriptors, and probes (with a cache),
// reads and writes controls. Diagnostics go to standard output as lines beginning "[UVC] ".
// Every call is a synchronous round trip to the device: the controller lives on its camera's
// own thread (`UVCSession`), never on the main thread.
class UVCController {
public:
    // Absent when any step of opening fails.
    static std::unique_ptr<UVCController> open(UsbService& usb, const QString& uniqueID);
    // Closes and releases the interface, then the device.
    ~UVCController();
    UVCController(const UVCController&) = delete;
    UVCController& operator=(const UVCController&) = delete;

    bool isOpen() const { return isOpen_; }
    // A request answered that the device is gone. Its handles stay dead even when the camera is
    // plugged in again, so the camera's session opens a new controller for the next batch.
    void noteDeviceGone() { deviceGone_ = true; }
    bool isDeviceGone() const { return deviceGone_; }
    std::uint8_t videoControlInterfaceNumber() const { return videoControlInterfaceNumber_; }
    std::uint8_t cameraTerminalUnitID() const { return cameraTerminalUnitID_; }
    std::uint8_t processingUnitID() const { return processingUnitID_; }

    // The probed control, cached per (unit ID, selector), absent results too. Without an ID for
    // the unit the answer is absent and nothing is cached.
    std::optional<UVCControl> control(UVCUnit unit, std::uint8_t selector, int byteCount);

    // GET_CUR, decoded; absent when the request fails, with the request's status in `status`.
    static std::optional<std::int64_t> currentValue(const UVCControl& control,
                                                    IOReturn* status = nullptr);
    // SET_CUR with `byteCount` bytes; true exactly when the request succeeds. Callers clamp.
    static bool setCurrent(const UVCControl& control, const QByteArray& bytes);

private:
    UVCController() = default;
    std::optional<UVCControl> probeControl(std::uint8_t unitID, std::uint8_t selector,
                                           int byteCount);

    bool isOpen_ = false;
    bool deviceGone_ = false;
    QHash<UVCControlKey, std::optional<UVCControl>> probedControls_;
    std::shared_ptr<UsbDevice> deviceInterface_;
    std::shared_ptr<UsbInterface> videoControlInterface_;
    std::uint8_t videoControlInterfaceNumber_ = 0;
    std::uint8_t cameraTerminalUnitID_ = 0;
    std::uint8_t processingUnitID_ = 0;
};

// The USB device whose location ID is a candidate of the unique ID and which has a
// video-control interface; absent when none matches.
std::shared_ptr<UsbRegistryEntry> findUSBDevice(UsbService& usb, const QString& uniqueID);

// Whether a USB device has a child of class 14 (video), subclass 1 (video control).
bool hasVideoControlInterface(UsbRegistryEntry& device);

}  // namespace tavrin
