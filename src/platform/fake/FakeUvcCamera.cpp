#include "platform/fake/FakeUvcCamera.h"

#include <QStringList>
#include <algorithm>

#include "platform/UsbVideoClass.h"

namespace tavrin {

using namespace UsbVideoClass;

// The interface's function table.
class FakeUvcCamera::Interface final : public UsbInterface {
public:
    explicit Interface(std::shared_ptr<FakeUvcCamera> camera) : camera_(std::move(camera)) {}

    IOReturn open() override {
        camera_->interfaceOpen_ = true;
        return IOReturnCode::success;
    }
    IOReturn close() override {
        camera_->interfaceOpen_ = false;
        return IOReturnCode::success;
    }
    IOReturn interfaceNumber(std::uint8_t& number) override {
        number = camera_->interfaceNumber_;
        return IOReturnCode::success;
    }
    QByteArray associatedDescriptorBytes() override { return camera_->descriptors_; }
    IOReturn controlRequest(UsbDeviceRequest& request) override { return camera_->handle(request); }

private:
    std::shared_ptr<FakeUvcCamera> camera_;
};

class FakeUvcCamera::Device final : public UsbDevice {
public:
    explicit Device(std::shared_ptr<FakeUvcCamera> camera) : camera_(std::move(camera)) {}

    IOReturn open() override {
        camera_->deviceOpen_ = true;
        return IOReturnCode::success;
    }
    IOReturn close() override {
        camera_->deviceOpen_ = false;
        return IOReturnCode::success;
    }
    IOReturn createInterfaceIterator(
        const UsbFindInterfaceRequest& request,
        std::vector<std::shared_ptr<UsbRegistryEntry>>& interfaces) override;

private:
    std::shared_ptr<FakeUvcCamera> camera_;
};

class FakeUvcCamera::PlugIn final : public UsbPlugIn {
public:
    PlugIn(std::shared_ptr<FakeUvcCamera> camera, UsbPlugInType type)
        : camera_(std::move(camera)), type_(type) {}

    std::shared_ptr<UsbDevice> queryDeviceInterface() override {
        if (type_ != UsbPlugInType::device || camera_->openFaults_.deviceTableMissing) {
            return nullptr;
        }
        return std::make_shared<Device>(camera_);
    }
    std::shared_ptr<UsbInterface> queryInterfaceInterface() override {
        if (type_ != UsbPlugInType::interface || camera_->openFaults_.interfaceTableMissing) {
            return nullptr;
        }
        return std::make_shared<Interface>(camera_);
    }

private:
    std::shared_ptr<FakeUvcCamera> camera_;
    UsbPlugInType type_;
};

// A registry entry: the device itself, one of its children, or its video-control interface.
class FakeUvcCamera::Entry final : public UsbRegistryEntry {
public:
    enum class Kind { device, child, videoControlInterface };

    Entry(std::shared_ptr<FakeUvcCamera> camera, Kind kind, Child child = {})
        : camera_(std::move(camera)), kind_(kind), child_(child) {}

    std::optional<std::int64_t> numberProperty(const QString& key) override {
        if (kind_ == Kind::device && key == QStringLiteral("locationID")) {
            return camera_->locationID_;
        }
        if (kind_ == Kind::child && key == QStringLiteral("bInterfaceClass")) {
            return child_.interfaceClass;
        }
        if (kind_ == Kind::child && key == QStringLiteral("bInterfaceSubClass")) {
            return child_.interfaceSubClass;
        }
        return std::nullopt;
    }

    IOReturn childIterator(std::vector<std::shared_ptr<UsbRegistryEntry>>& children) override {
        if (kind_ != Kind::device) {
            return IOReturnCode::success;
        }
        for (const auto& child : camera_->children_) {
            children.push_back(std::make_shared<Entry>(camera_, Kind::child, child));
        }
        return IOReturnCode::success;
    }

    IOReturn createPlugIn(UsbPlugInType type, std::shared_ptr<UsbPlugIn>& plugIn) override {
        const auto& faults = camera_->openFaults_;
        if (kind_ == Kind::device) {
            if (faults.devicePlugIn) {
                return *faults.devicePlugIn;
            }
        } else if (faults.interfacePlugIn) {
            return *faults.interfacePlugIn;
        } else if (faults.interfacePlugInMissing) {
            return IOReturnCode::success;
        }
        plugIn = std::make_shared<PlugIn>(camera_, type);
        return IOReturnCode::success;
    }

private:
    std::shared_ptr<FakeUvcCamera> camera_;
    Kind kind_;
    Child child_;
};

IOReturn FakeUvcCamera::Device::createInterfaceIterator(
    const UsbFindInterfaceRequest& request,
    std::vector<std::shared_ptr<UsbRegistryEntry>>& interfaces) {
    const auto& faults = camera_->openFaults_;
    if (faults.interfaceIterator) {
        return *faults.interfaceIterator;
    }
    if (!faults.noVideoControlInterface && request.interfaceClass == 14 &&
        request.interfaceSubClass == 1) {
        interfaces.push_back(std::make_shared<Entry>(camera_, Entry::Kind::videoControlInterface));
    }
    return IOReturnCode::success;
}

FakeUvcCamera::FakeUvcCamera(std::optional<std::int64_t> locationID, QByteArray descriptors,
                             std::uint8_t interfaceNumber)
    : locationID_(locationID),
      descriptors_(std::move(descriptors)),
      interfaceNumber_(interfaceNumber) {}

std::shared_ptr<FakeUvcCamera> FakeUvcCamera::create(std::optional<std::int64_t> locationID,
                                                     QByteArray videoControlDescriptors,
                                                     std::uint8_t interfaceNumber) {
    return std::shared_ptr<FakeUvcCamera>(
        new FakeUvcCamera(locationID, std::move(videoControlDescriptors), interfaceNumber));
}

std::shared_ptr<UsbRegistryEntry> FakeUvcCamera::registryEntry() {
    return std::make_shared<Entry>(shared_from_this(), Entry::Kind::device);
}

void FakeUvcCamera::setControl(std::uint8_t unit, std::uint8_t selector,
                               const FakeUvcControl& control) {
    controls_[{unit, selector}] = control;
}

std::optional<FakeUvcControl> FakeUvcCamera::control(std::uint8_t unit,
                                                     std::uint8_t selector) const {
    const auto found = controls_.find({unit, selector});
    return found == controls_.end() ? std::nullopt : std::optional(found->second);
}

void FakeUvcCamera::failRequests(std::uint8_t bRequest, std::uint8_t unit, std::uint8_t selector,
                                 IOReturn status) {
    failures_.push_back(Failure{bRequest, unit, selector, status});
}

int FakeUvcCamera::requestCount(std::uint8_t bRequest, std::uint8_t unit,
                                std::uint8_t selector) const {
    return int(
        std::count_if(requests_.begin(), requests_.end(), [&](const ReceivedRequest& request) {
            return request.bRequest == bRequest && request.wIndex >> 8 == unit &&
                   request.wValue >> 8 == selector;
        }));
}

std::int64_t roundedToStep(std::int64_t value, std::int64_t minimum, std::int64_t maximum,
                           std::int64_t step) {
    step = std::max<std::int64_t>(step, 1);
    maximum = std::max(minimum, maximum);
    const auto clamped = std::clamp(value, minimum, maximum);
    return std::min(minimum + (clamped - minimum + step / 2) / step * step, maximum);
}

IOReturn FakeUvcCamera::handle(UsbDeviceRequest& request) {
    if (requestHook_) {
        if (const auto status = requestHook_()) {
            return *status;
        }
    }
    const auto unit = std::uint8_t(request.wIndex >> 8);
    const auto selector = std::uint8_t(request.wValue >> 8);
    requests_.push_back(ReceivedRequest{request.bmRequestType, request.bRequest, request.wValue,
                                        request.wIndex, request.wLength});
    request.completedLength = 0;
    for (const auto& failure : failures_) {
        if ((failure.bRequest == 0 || failure.bRequest == request.bRequest) &&
            failure.unit == unit && failure.selector == selector) {
            return failure.status;
        }
    }
    const auto expectedType = request.bRequest == setCur ? requestTypeSet : requestTypeGet;
    const auto found = controls_.find({unit, selector});
    if (found == controls_.end() || request.bmRequestType != expectedType ||
        std::uint8_t(request.wValue) != 0 || std::uint8_t(request.wIndex) != interfaceNumber_ ||
        (request.wLength > 0 && !request.data)) {
        return IOReturnCode::pipeStalled;
    }
    auto& control = found->second;
    auto write = [&](std::int64_t value) {
        for (std::uint16_t k = 0; k < request.wLength; ++k) {
            request.data[k] = k < 8 ? std::uint8_t(std::uint64_t(value) >> (8 * k)) : 0;
        }
        request.completedLength = std::min(request.wLength, control.answerLength.value_or(0xFFFF));
        return IOReturnCode::success;
    };
    switch (request.bRequest) {
        case getInfo:
            if (request.wLength < 1) {
                return IOReturnCode::pipeStalled;
            }
            request.data[0] = control.info;
            request.completedLength = 1;
            return IOReturnCode::success;
        case getMin:
            return write(control.minimum);
        case getMax:
            return write(control.maximum);
        case getRes:
            return write(control.resolution);
        case getDef:
            return write(control.defaultValue);
        case getCur:
            return write(control.current);
        case setCur: {
            if (!(control.info & 0x02)) {
                return IOReturnCode::pipeStalled;
            }
            std::uint64_t bits = 0;
            for (std::uint16_t k = 0; k < request.wLength && k < 8; ++k) {
                bits |= std::uint64_t(request.data[k]) << (8 * k);
            }
            // Sign-extend from the transfer's width, as the device's own register would hold it.
            const int width = std::min<int>(request.wLength, 8) * 8;
            if (width > 0 && width < 64 && (bits >> (width - 1)) & 1) {
                bits |= ~std::uint64_t(0) << width;
            }
            control.current = std::int64_t(bits);
            if (control.roundsToResolution) {
                control.current = roundedToStep(control.current, control.minimum, control.maximum,
                                                control.resolution);
            }
            request.completedLength = request.wLength;
            return IOReturnCode::success;
        }
        default:
            return IOReturnCode::pipeStalled;
    }
}

IOReturn FakeUsbService::matchingServices(
    const QString& className, std::vector<std::shared_ptr<UsbRegistryEntry>>& services) {
    ++matchingCount_;
    if (matchingFailure_) {
        return *matchingFailure_;
    }
    if (className == QStringLiteral("IOUSBDevice")) {
        for (const auto& camera : cameras_) {
            services.push_back(camera->registryEntry());
        }
    }
    return IOReturnCode::success;
}

}  // namespace tavrin
