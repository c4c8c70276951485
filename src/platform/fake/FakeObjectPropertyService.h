#pragma once

#include <QHash>
#include <algorithm>
#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "platform/ObjectPropertyService.h"
#include "platform/PropertyListenerRegistry.h"
#include "platform/fake/NotificationThread.h"
#include "runtime/Mutex.h"

namespace tavrin {

// A failure a test wants a call to report. Unset object or address match any.
struct FakeFault {
    enum class Operation { hasProperty, isSettable, get, set, addListener, removeListener };

    Operation operation = Operation::get;
    std::optional<ObjectID> object;
    std::optional<PropertyAddress> address;
    OSStatus status = OSStatusCode::unspecified;
    int times = -1;  // how many calls fail; -1 for all of them
};

// An in-memory object/property service: objects with stored properties, listeners told on the
// notification thread when a property changes, and failures on demand. Every call may come from
// any thread.
class FakeObjectPropertyService : public ObjectPropertyService {
public:
    explicit FakeObjectPropertyService(NotificationThread& notifications);

    bool hasProperty(ObjectID object, const PropertyAddress& address) override;
    OSStatus isPropertySettable(ObjectID object, const PropertyAddress& address,
                                bool& settable) override;
    OSStatus getPropertyData(ObjectID object, const PropertyAddress& address,
                             const PropertyValue& qualifier, PropertyValue& value) override;
    OSStatus setPropertyData(ObjectID object, const PropertyAddress& address,
                             const PropertyValue& value) override;
    OSStatus addPropertyListener(ObjectID object, const PropertyAddress& address,
                                 PropertyListenerBlock block) override;
    OSStatus removePropertyListener(ObjectID object, const PropertyAddress& address,
                                    const PropertyListenerBlock& block) override;

    void addFault(const FakeFault& fault);
    void clearFaults();

    // Runs `action` once, on the reading thread and outside the lock, right after the next read
    // of this property (of any object, unless one is given) has been answered: a test puts
    // another process's change exactly between a read and whatever the reader does next.
    void afterNextRead(const PropertyAddress& address, std::function<void()> action,
                       std::optional<ObjectID> object = {});

    // Another process changes a property: it is stored and, when it differs, listeners are told.
    void changeProperty(ObjectID object, const PropertyAddress& address, PropertyValue value);
    // Tells a property's listeners that it changed, whether or not it did.
    void notifyListeners(ObjectID object, const PropertyAddress& address);

    std::size_t listenerCount(ObjectID object, const PropertyAddress& address) const;
    std::size_t listenerCount() const;
    // How many calls of each kind were made, for tests that count reads.
    int callCount(FakeFault::Operation operation) const;

protected:
    struct Property {
        PropertyValue value;
        bool isSettable = false;
    };
    struct Object {
        QHash<PropertyAddress, Property> properties;
    };
    struct ReadHook {
        PropertyAddress address;
        std::optional<ObjectID> object;
        std::function<void()> action;
    };
    struct State {
        QHash<ObjectID, Object> objects;
        PropertyListenerRegistry listeners;
        std::vector<FakeFault> faults;
        std::vector<ReadHook> readHooks;
        std::array<int, 6> calls{};
        ObjectID nextObjectID = 100;
        QHash<QString, ObjectID> idsByKey;
    };
    using Changes = QList<std::pair<ObjectID, PropertyAddress>>;

    // Changes the state under the lock; the listeners of what changed are told afterwards.
    template <typename Body>
    decltype(auto) edit(Body&& body) {
        Changes changes;
        if constexpr (std::is_void_v<decltype(body(std::declval<State&>(), changes))>) {
            state_.withLock([&](State& state) { body(state, changes); });
            notify(changes);
        } else {
            auto result = state_.withLock([&](State& state) { return body(state, changes); });
            notify(changes);
            return result;
        }
    }

    // A new object's ID. An object of a key that was seen before (a device's UID) gets its
    // earlier ID back unless that is taken, as the sound server backend gives it.
    static ObjectID newObjectID(State& state, const QString& key = {});

    // Stores a property, noting a change when the value differs.
    static void store(State& state, ObjectID object, const PropertyAddress& address,
                      PropertyValue value, Changes& changes, std::optional<bool> settable = {});

    // Values computed from the state rather than stored ('uidd', for example).
    virtual std::optional<OSStatus> computedProperty(State& state, ObjectID object,
                                                     const PropertyAddress& address,
                                                     const PropertyValue& qualifier,
                                                     PropertyValue& value);
    // Sets with rules of their own (hog mode, for example).
    virtual std::optional<OSStatus> specialSet(State& state, ObjectID object,
                                               const PropertyAddress& address,
                                               const PropertyValue& value, Changes& changes);

private:
    // A stored property, or the status that says why there is none.
    static std::pair<Property*, OSStatus> find(State& state, ObjectID object,
                                               const PropertyAddress& address);
    std::optional<OSStatus> takeFault(State& state, FakeFault::Operation operation, ObjectID object,
                                      const PropertyAddress& address);
    void notify(const Changes& changes);

    NotificationThread& notifications_;
    Mutex<State> state_;
};

}  // namespace tavrin
