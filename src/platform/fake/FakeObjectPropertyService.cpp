#include "platform/fake/FakeObjectPropertyService.h"

namespace tavrin {

using Operation = FakeFault::Operation;

FakeObjectPropertyService::FakeObjectPropertyService(NotificationThread& notifications)
    : notifications_(notifications) {}

std::optional<OSStatus> FakeObjectPropertyService::takeFault(State& state, Operation operation,
                                                             ObjectID object,
                                                             const PropertyAddress& address) {
    ++state.calls[std::size_t(operation)];
    for (auto it = state.faults.begin(); it != state.faults.end(); ++it) {
        if (it->operation != operation || (it->object && *it->object != object) ||
            (it->address && *it->address != address)) {
            continue;
        }
        const auto status = it->status;
        if (it->times > 0 && --it->times == 0) {
            state.faults.erase(it);
        }
        return status;
    }
    return std::nullopt;
}

std::pair<FakeObjectPropertyService::Property*, OSStatus> FakeObjectPropertyService::find(
    State& state, ObjectID object, const PropertyAddress& address) {
    const auto found = state.objects.find(object);
    if (found == state.objects.end()) {
        return {nullptr, OSStatusCode::badObject};
    }
    const auto property = found->properties.find(address);
    if (property == found->properties.end()) {
        return {nullptr, OSStatusCode::unknownProperty};
    }
    return {&*property, OSStatusCode::noError};
}

bool FakeObjectPropertyService::hasProperty(ObjectID object, const PropertyAddress& address) {
    return state_.withLock([&](State& state) {
        if (takeFault(state, Operation::hasProperty, object, address)) {
            return false;
        }
        PropertyValue ignored;
        if (computedProperty(state, object, address, PropertyValue(), ignored)) {
            return true;
        }
        const auto found = state.objects.constFind(object);
        return found != state.objects.constEnd() && found->properties.contains(address);
    });
}

OSStatus FakeObjectPropertyService::isPropertySettable(ObjectID object,
                                                       const PropertyAddress& address,
                                                       bool& settable) {
    return state_.withLock([&](State& state) -> OSStatus {
        if (const auto status = takeFault(state, Operation::isSettable, object, address)) {
            return *status;
        }
        const auto [property, status] = find(state, object, address);
        if (property) {
            settable = property->isSettable;
        }
        return status;
    });
}

OSStatus FakeObjectPropertyService::getPropertyData(ObjectID object, const PropertyAddress& address,
                                                    const PropertyValue& qualifier,
                                                    PropertyValue& value) {
    std::function<void()> hook;
    const auto status = state_.withLock([&](State& state) -> OSStatus {
        const auto found =
            std::find_if(state.readHooks.begin(), state.readHooks.end(), [&](const auto& hook) {
                return hook.address == address && (!hook.object || *hook.object == object);
            });
        if (found != state.readHooks.end()) {
            hook = std::move(found->action);
            state.readHooks.erase(found);
        }
        if (const auto status = takeFault(state, Operation::get, object, address)) {
            return *status;
        }
        if (const auto status = computedProperty(state, object, address, qualifier, value)) {
            return *status;
        }
        const auto [property, status] = find(state, object, address);
        if (property) {
            value = property->value;
        }
        return status;
    });
    if (hook) {
        hook();
    }
    return status;
}

OSStatus FakeObjectPropertyService::setPropertyData(ObjectID object, const PropertyAddress& address,
                                                    const PropertyValue& value) {
    return edit([&](State& state, Changes& changes) -> OSStatus {
        if (const auto status = takeFault(state, Operation::set, object, address)) {
            return *status;
        }
        if (const auto status = specialSet(state, object, address, value, changes)) {
            return *status;
        }
        const auto [property, status] = find(state, object, address);
        if (!property) {
            return status;
        }
        if (!property->isSettable) {
            return OSStatusCode::illegalOperation;
        }
        if (property->value.index() != value.index()) {
            return OSStatusCode::badPropertySize;
        }
        store(state, object, address, value, changes);
        return OSStatusCode::noError;
    });
}

OSStatus FakeObjectPropertyService::addPropertyListener(ObjectID object,
                                                        const PropertyAddress& address,
                                                        PropertyListenerBlock block) {
    return state_.withLock([&](State& state) -> OSStatus {
        if (const auto status = takeFault(state, Operation::addListener, object, address)) {
            return *status;
        }
        if (!state.objects.contains(object) || !block) {
            return OSStatusCode::badObject;
        }
        state.listeners.add(object, address, std::move(block));
        return OSStatusCode::noError;
    });
}

OSStatus FakeObjectPropertyService::removePropertyListener(ObjectID object,
                                                           const PropertyAddress& address,
                                                           const PropertyListenerBlock& block) {
    return state_.withLock([&](State& state) -> OSStatus {
        if (const auto status = takeFault(state, Operation::removeListener, object, address)) {
            return *status;
        }
        return state.listeners.remove(object, address, block) ? OSStatusCode::noError
                                                              : OSStatusCode::badObject;
    });
}

void FakeObjectPropertyService::addFault(const FakeFault& fault) {
    state_.withLock([&](State& state) { state.faults.push_back(fault); });
}

void FakeObjectPropertyService::clearFaults() {
    state_.withLock([](State& state) { state.faults.clear(); });
}

void FakeObjectPropertyService::afterNextRead(const PropertyAddress& address,
                                              std::function<void()> action,
                                              std::optional<ObjectID> object) {
    state_.withLock([&](State& state) {
        state.readHooks.push_back({address, object, std::move(action)});
    });
}

void FakeObjectPropertyService::changeProperty(ObjectID object, const PropertyAddress& address,
                                               PropertyValue value) {
    edit([&](State& state, Changes& changes) {
        store(state, object, address, std::move(value), changes);
    });
}

void FakeObjectPropertyService::notifyListeners(ObjectID object, const PropertyAddress& address) {
    notify(Changes{{object, address}});
}

std::size_t FakeObjectPropertyService::listenerCount(ObjectID object,
                                                     const PropertyAddress& address) const {
    return state_.withLock(
        [&](const State& state) { return state.listeners.count(object, address); });
}

std::size_t FakeObjectPropertyService::listenerCount() const {
    return state_.withLock([](const State& state) { return state.listeners.count(); });
}

int FakeObjectPropertyService::callCount(Operation operation) const {
    return state_.withLock([&](const State& state) { return state.calls[std::size_t(operation)]; });
}

ObjectID FakeObjectPropertyService::newObjectID(State& state, const QString& key) {
    if (const auto earlier = state.idsByKey.constFind(key); !key.isEmpty() &&
                                                            earlier != state.idsByKey.constEnd() &&
                                                            !state.objects.contains(*earlier)) {
        return *earlier;
    }
    const auto id = state.nextObjectID++;
    if (!key.isEmpty()) {
        state.idsByKey.insert(key, id);
    }
    return id;
}

void FakeObjectPropertyService::store(State& state, ObjectID object, const PropertyAddress& address,
                                      PropertyValue value, Changes& changes,
                                      std::optional<bool> settable) {
    auto& property = state.objects[object].properties[address];
    if (settable) {
        property.isSettable = *settable;
    }
    if (property.value != value) {
        property.value = std::move(value);
        changes.append({object, address});
    }
}

std::optional<OSStatus> FakeObjectPropertyService::computedProperty(State&, ObjectID,
                                                                    const PropertyAddress&,
                                                                    const PropertyValue&,
                                                                    PropertyValue&) {
    return std::nullopt;
}

std::optional<OSStatus> FakeObjectPropertyService::specialSet(State&, ObjectID,
                                                              const PropertyAddress&,
                                                              const PropertyValue&, Changes&) {
    return std::nullopt;
}

// Each change is told on the notification thread to the blocks registered for it at that moment,
// so a listener removed before the notification arrives is not called.
void FakeObjectPropertyService::notify(const Changes& changes) {
    for (const auto& [object, address] : changes) {
        notifications_.deliver([this, object, address] {
            const auto blocks = state_.withLock(
                [&](const State& state) { return state.listeners.blocks(object, address); });
            for (const auto& block : blocks) {
                (*block)({address});
            }
        });
    }
}

}  // namespace tavrin
