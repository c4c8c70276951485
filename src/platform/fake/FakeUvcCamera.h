#pragma once

#include <QByteArray>
#include <QList>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/UsbService.h"

namespace tavrin {

// One control of a fake camera: what GET_INFO answers and the values of GET_MIN, GET_MAX, GET_RES,
// GET_DEF and GET_CUR. SET_CUR stores into `current` when the info's SET bit (1) is set; with
// `roundsToResolution` the camera first rounds the value to its resolution from the minimum and
// keeps it within [minimum, maximum], as many cameras do. Like a device, the camera stalls a
// request whose direction doesn't fit its code, or that names another interface.
struct FakeUvcControl {
    std::uint8_t info = 0x03;
    std::int64_t minimum = 0;
    std::int64_t maximum = 255;
    std::int64_t resolution = 1;
    std::int64_t defaultValue = 0;
    std::int64_t current = 0;
    bool roundsToResolution = false;
    // A faulty camera answers its value reads with only this many bytes.
    std::optional<std::uint16_t> answerLength;
};

// What a camera (and uvcvideo for it) makes of a value for a control with a step: the nearest
// step from the minimum, within [minimum, maximum].
std::int64_t roundedToStep(std::int64_t value, std::int64_t minimum, std::int64_t maximum,
                           std::int64_t step);

// A USB camera as the registry and its function tables show it, built from the raw bytes of its
// video-control descriptors. Each step of opening it can be made to fail, and so can any request.
class FakeUvcCamera : public std::enable_shared_from_this<FakeUvcCamera> {
public:
    // A control transfer as the camera received it.
    struct ReceivedRequest {
        std::uint8_t bmRequestType = 0;
        std::uint8_t bRequest = 0;
        std::uint16_t wValue = 0;
        std::uint16_t wIndex = 0;
        std::uint16_t wLength = 0;

        friend bool operator==(const ReceivedRequest&, const ReceivedRequest&) = default;
    };
    struct Child {
        std::optional<std::int64_t> interfaceClass;
        std::optional<std::int64_t> interfaceSubClass;
    };
    // Where opening the camera fails, one switch per step.
    struct OpenFaults {
        std::optional<IOReturn> devicePlugIn;
        bool deviceTableMissing = false;
        std::optional<IOReturn> interfaceIterator;
        bool noVideoControlInterface = false;
        std::optional<IOReturn> interfacePlugIn;
        bool interfacePlugInMissing = false;
        bool interfaceTableMissing = false;
    };

    static std::shared_ptr<FakeUvcCamera> create(std::optional<std::int64_t> locationID,
                                                 QByteArray videoControlDescriptors,
                                                 std::uint8_t interfaceNumber = 0);

    // The registry entry that the USB service lists for this camera.
    std::shared_ptr<UsbRegistryEntry> registryEntry();

    void setChildren(const QList<Child>& children) { children_ = children; }
    OpenFaults& openFaults() { return openFaults_; }
    void setControl(std::uint8_t unit, std::uint8_t selector, const FakeUvcControl& control);
    std::optional<FakeUvcControl> control(std::uint8_t unit, std::uint8_t selector) const;
    // Fails requests with this bRequest (0 for any) on this unit and selector.
    void failRequests(std::uint8_t bRequest, std::uint8_t unit, std::uint8_t selector,
                      IOReturn status = IOReturnCode::pipeStalled);

    // Runs before every request, on the thread that makes it; an answer it gives fails the
    // request with that status. A test holds requests there, as a hung device would, or answers
    // noDevice, as an unplugged one does.
    void setRequestHook(std::function<std::optional<IOReturn>()> hook) {
        requestHook_ = std::move(hook);
    }

    // Answers a control transfer as the camera's default pipe would.
    IOReturn respond(UsbDeviceRequest& request) { return handle(request); }

    // Every request received, in order, failed ones included.
    const std::vector<ReceivedRequest>& requests() const { return requests_; }
    int requestCount() const { return int(requests_.size()); }
    int requestCount(std::uint8_t bRequest, std::uint8_t unit, std::uint8_t selector) const;
    bool isDeviceOpen() const { return deviceOpen_; }
    bool isInterfaceOpen() const { return interfaceOpen_; }

private:
    class Entry;
    class InterfaceEntry;
    class PlugIn;
    class Device;
    class Interface;
    struct Failure {
        std::uint8_t bRequest;
        std::uint8_t unit;
        std::uint8_t selector;
        IOReturn status;
    };

    FakeUvcCamera(std::optional<std::int64_t> locationID, QByteArray descriptors,
                  std::uint8_t interfaceNumber);
    IOReturn handle(UsbDeviceRequest& request);

    const std::optional<std::int64_t> locationID_;
    const QByteArray descriptors_;
    const std::uint8_t interfaceNumber_;
    QList<Child> children_{{14, 1}, {14, 2}};
    OpenFaults openFaults_;
    std::map<std::pair<std::uint8_t, std::uint8_t>, FakeUvcControl> controls_;
    std::vector<Failure> failures_;
    std::vector<ReceivedRequest> requests_;
    std::function<std::optional<IOReturn>()> requestHook_;
    bool deviceOpen_ = false;
    bool interfaceOpen_ = false;
};

// The fake USB layer: the cameras a test plugs, listed as "IOUSBDevice" entries.
class FakeUsbService final : public UsbService {
public:
    IOReturn matchingServices(const QString& className,
                              std::vector<std::shared_ptr<UsbRegistryEntry>>& services) override;

    void plug(std::shared_ptr<FakeUvcCamera> camera) { cameras_.push_back(std::move(camera)); }
    void unplugAll() { cameras_.clear(); }
    void setMatchingFails(std::optional<IOReturn> status) { matchingFailure_ = status; }
    int matchingCount() const { return matchingCount_; }

private:
    std::vector<std::shared_ptr<FakeUvcCamera>> cameras_;
    std::optional<IOReturn> matchingFailure_;
    std::atomic<int> matchingCount_ = 0;  // every camera's UVC thread looks devices up
};

}  // namespace tavrin
