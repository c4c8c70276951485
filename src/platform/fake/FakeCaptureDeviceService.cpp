#include "platform/fake/FakeCaptureDeviceService.h"

namespace tavrin {

std::shared_ptr<CaptureDevice> FakeCaptureDeviceService::deviceWithUniqueID(
    const QString& uniqueID) {
    return state_.withLock([&](State& state) -> std::shared_ptr<CaptureDevice> {
        return state.lookupsFail ? nullptr : state.devices.value(uniqueID);
    });
}

void FakeCaptureDeviceService::add(std::shared_ptr<FakeCaptureDevice> device) {
    state_.withLock([&](State& state) { state.devices.insert(device->uniqueID(), device); });
}

void FakeCaptureDeviceService::remove(const QString& uniqueID) {
    state_.withLock([&](State& state) { state.devices.remove(uniqueID); });
}

std::shared_ptr<FakeCaptureDevice> FakeCaptureDeviceService::fakeDevice(
    const QString& uniqueID) const {
    return state_.withLock([&](State& state) { return state.devices.value(uniqueID); });
}

void FakeCaptureDeviceService::setLookupsFail(bool fail) {
    state_.withLock([&](State& state) { state.lookupsFail = fail; });
}

}  // namespace tavrin
