#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace tavrin {

// The USB user-client layer, cut down to what talking to a camera's video-control interface
// needs. Objects are reference-counted: dropping the last reference releases them. Every call
// may block on the device, so none is made on the main thread: each camera's controller makes
// them on its own thread, and several cameras' threads may call at once.
using IOReturn = std::int32_t;

namespace IOReturnCode {
inline constexpr IOReturn success = 0;
inline constexpr IOReturn error = IOReturn(0xE00002BC);
inline constexpr IOReturn noDevice = IOReturn(0xE00002C0);
inline constexpr IOReturn notOpen = IOReturn(0xE00002CD);
inline constexpr IOReturn unsupported = IOReturn(0xE00002C7);
inline constexpr IOReturn notResponding = IOReturn(0xE00002ED);
inline constexpr IOReturn exclusiveAccess = IOReturn(0xE00002C5);
inline constexpr IOReturn notPermitted = IOReturn(0xE00002E2);
inline constexpr IOReturn pipeStalled = IOReturn(0xE000404F);
inline constexpr IOReturn underrun = IOReturn(0xE00002E8);
}  // namespace IOReturnCode

// A control transfer on the default pipe. `data` holds wLength bytes; `completedLength` is what
// the device actually moved.
struct UsbDeviceRequest {
    std::uint8_t bmRequestType = 0;
    std::uint8_t bRequest = 0;
    std::uint16_t wValue = 0;
    std::uint16_t wIndex = 0;
    std::uint16_t wLength = 0;
    std::uint8_t* data = nullptr;
    std::uint32_t completedLength = 0;
};

inline constexpr std::uint16_t usbFindDontCare = 0xFFFF;

struct UsbFindInterfaceRequest {
    std::uint16_t interfaceClass = usbFindDontCare;
    std::uint16_t interfaceSubClass = usbFindDontCare;
    std::uint16_t interfaceProtocol = usbFindDontCare;
    std::uint16_t alternateSetting = usbFindDontCare;
};

// An opened USB interface's function table.
class UsbInterface {
public:
    virtual ~UsbInterface() = default;

    virtual IOReturn open() = 0;
    virtual IOReturn close() = 0;
    virtual IOReturn interfaceNumber(std::uint8_t& number) = 0;
    // The raw descriptors that follow this interface's own descriptor in the device's
    // configuration, as the device sent them: untrusted bytes.
    virtual QByteArray associatedDescriptorBytes() = 0;
    virtual IOReturn controlRequest(UsbDeviceRequest& request) = 0;
};

class UsbRegistryEntry;

// An opened USB device's function table.
class UsbDevice {
public:
    virtual ~UsbDevice() = default;

    virtual IOReturn open() = 0;
    virtual IOReturn close() = 0;
    virtual IOReturn createInterfaceIterator(
        const UsbFindInterfaceRequest& request,
        std::vector<std::shared_ptr<UsbRegistryEntry>>& interfaces) = 0;
};

enum class UsbPlugInType { device, interface };

// The plug-in through which a registry entry's function table is reached.
class UsbPlugIn {
public:
    virtual ~UsbPlugIn() = default;

    // Absent when the plug-in doesn't offer that table.
    virtual std::shared_ptr<UsbDevice> queryDeviceInterface() = 0;
    virtual std::shared_ptr<UsbInterface> queryInterfaceInterface() = 0;
};

// A USB device or interface in the I/O registry.
class UsbRegistryEntry {
public:
    virtual ~UsbRegistryEntry() = default;

    // A registry property, when it is a number ("locationID", "bInterfaceClass", ...).
    virtual std::optional<std::int64_t> numberProperty(const QString& key) = 0;
    virtual IOReturn childIterator(std::vector<std::shared_ptr<UsbRegistryEntry>>& children) = 0;
    virtual IOReturn createPlugIn(UsbPlugInType type, std::shared_ptr<UsbPlugIn>& plugIn) = 0;
};

class UsbService {
public:
    virtual ~UsbService() = default;

    // The registry entries of a class ("IOUSBDevice").
    virtual IOReturn matchingServices(const QString& className,
                                      std::vector<std::shared_ptr<UsbRegistryEntry>>& services) = 0;
};

}  // namespace tavrin
