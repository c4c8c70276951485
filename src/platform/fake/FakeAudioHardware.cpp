#include "platform/fake/FakeAudioHardware.h"

#include "runtime/CurrentProcess.h"

namespace tavrin {

using namespace AudioSelector;

FakeAudioHardware::FakeAudioHardware(NotificationThread& notifications)
    : FakeObjectPropertyService(notifications) {
    edit([](State& state, Changes& changes) {
        store(state, systemObjectID, globalAddress(devices), QList<ObjectID>(), changes, false);
        store(state, systemObjectID, globalAddress(processes), QList<ObjectID>(), changes, false);
        store(state, systemObjectID, globalAddress(defaultInputDevice), std::uint32_t(0), changes,
              true);
        changes.clear();  // the initial state is nobody's news
    });
}

void FakeAudioHardware::appendToList(State& state, FourCharCode selector, ObjectID object, bool add,
                                     Changes& changes) {
    auto list = std::get<QList<ObjectID>>(
        state.objects[systemObjectID].properties[globalAddress(selector)].value);
    if (add) {
        list.append(object);
    } else {
        list.removeAll(object);
    }
    store(state, systemObjectID, globalAddress(selector), list, changes);
}

ObjectID FakeAudioHardware::addDevice(const FakeAudioDeviceSpec& spec) {
    return edit([&](State& state, Changes& changes) {
        const auto device = newObjectID(state, spec.uid);
        store(state, device, globalAddress(deviceUID), spec.uid, changes, false);
        store(state, device, globalAddress(isRunningSomewhere),
              std::uint32_t(spec.isRunningSomewhere), changes, false);
        store(state, device, globalAddress(hogMode), std::int32_t(-1), changes, true);
        if (spec.isMuted) {
            store(state, device, inputAddress(mute), std::uint32_t(*spec.isMuted), changes,
                  spec.isMuteSettable);
        }
        if (spec.volume) {
            store(state, device, inputAddress(volumeScalar), *spec.volume, changes,
                  spec.isVolumeSettable);
        }
        if (spec.sampleRate) {
            store(state, device, globalAddress(nominalSampleRate), *spec.sampleRate, changes,
                  spec.isSampleRateSettable);
        }
        store(state, device, globalAddress(availableNominalSampleRates), spec.availableSampleRates,
              changes, false);
        // A new object is news only through the device list.
        changes.clear();
        appendToList(state, devices, device, true, changes);
        return device;
    });
}

void FakeAudioHardware::removeDevice(ObjectID device) {
    edit([&](State& state, Changes& changes) {
        state.objects.remove(device);
        appendToList(state, devices, device, false, changes);
    });
}

ObjectID FakeAudioHardware::addProcess(const FakeAudioProcessSpec& spec) {
    return edit([&](State& state, Changes& changes) {
        const auto process = state.nextObjectID++;
        store(state, process, globalAddress(processPID), spec.pid, changes, false);
        store(state, process, globalAddress(processIsRunningInput),
              std::uint32_t(spec.isRunningInput), changes, false);
        store(state, process, globalAddress(processDevices), spec.devices, changes, false);
        if (!spec.bundleID.isNull()) {
            store(state, process, globalAddress(processBundleID), spec.bundleID, changes, false);
        }
        changes.clear();
        appendToList(state, processes, process, true, changes);
        return process;
    });
}

void FakeAudioHardware::removeProcess(ObjectID process) {
    edit([&](State& state, Changes& changes) {
        state.objects.remove(process);
        appendToList(state, processes, process, false, changes);
    });
}

void FakeAudioHardware::setHogModeOwner(ObjectID device, std::int32_t pid) {
    changeProperty(device, globalAddress(hogMode), pid);
}

std::int32_t FakeAudioHardware::hogModeOwner(ObjectID device) {
    return readProperty<std::int32_t>(*this, device, globalAddress(hogMode)).value_or(-1);
}

void FakeAudioHardware::setAnswersHogModeLater(bool later) {
    pendingHogMode_.withLock([&](PendingHogMode& pending) { pending.answersLater = later; });
}

void FakeAudioHardware::answerHogModeRequests(bool grant) {
    const auto devices = pendingHogMode_.withLock(
        [](PendingHogMode& pending) { return std::exchange(pending.devices, {}); });
    for (const auto device : devices) {
        if (grant) {
            changeProperty(device, globalAddress(hogMode), currentProcessID());
        } else {
            notifyListeners(device, globalAddress(hogMode));
        }
    }
}

int FakeAudioHardware::pendingHogModeRequests() const {
    return int(pendingHogMode_.withLock(
        [](const PendingHogMode& pending) { return pending.devices.size(); }));
}

std::optional<OSStatus> FakeAudioHardware::computedProperty(State& state, ObjectID object,
                                                            const PropertyAddress& address,
                                                            const PropertyValue& qualifier,
                                                            PropertyValue& value) {
    if (object != systemObjectID || address != globalAddress(translateUIDToDevice)) {
        return std::nullopt;
    }
    const auto* uid = std::get_if<QString>(&qualifier);
    if (!uid) {
        return OSStatusCode::badPropertySize;
    }
    // An unknown UID translates to no object, with success, as the real layer does.
    value = std::uint32_t(unknownObjectID);
    const auto& listed = std::get<QList<ObjectID>>(
        state.objects[systemObjectID].properties[globalAddress(devices)].value);
    for (const auto device : listed) {
        const auto& properties = state.objects[device].properties;
        const auto found = properties.constFind(globalAddress(deviceUID));
        if (found != properties.constEnd() && std::get<QString>(found->value) == *uid) {
            value = std::uint32_t(device);
            break;
        }
    }
    return OSStatusCode::noError;
}

// Hog mode has one owner: a process ID takes it only while nobody else holds it, and -1 gives it
// back only from its owner.
std::optional<OSStatus> FakeAudioHardware::specialSet(State& state, ObjectID object,
                                                      const PropertyAddress& address,
                                                      const PropertyValue& value,
                                                      Changes& changes) {
    if (address != globalAddress(hogMode) || !state.objects.contains(object)) {
        return std::nullopt;
    }
    const auto* requested = std::get_if<std::int32_t>(&value);
    if (!requested) {
        return OSStatusCode::badPropertySize;
    }
    const auto owner = std::get<std::int32_t>(state.objects[object].properties[address].value);
    const bool heldByAnother = owner != -1 && owner != currentProcessID();
    if (heldByAnother || (*requested != -1 && *requested != currentProcessID())) {
        return OSStatusCode::permissions;
    }
    const bool answeredLater = pendingHogMode_.withLock([&](PendingHogMode& pending) {
        if (*requested == -1) {
            pending.devices.removeAll(object);  // given back before the answer came
            return false;
        }
        if (pending.answersLater && owner == -1) {
            if (!pending.devices.contains(object)) {
                pending.devices.append(object);
            }
            return true;
        }
        return false;
    });
    if (!answeredLater) {
        store(state, object, address, *requested, changes);
    }
    return OSStatusCode::noError;
}

}  // namespace tavrin
