#pragma once

#include <QHashFunctions>
#include <QList>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <variant>

#include "runtime/FourCharCode.h"

namespace tavrin {

// The shape shared by the OS services that publish objects with properties (the audio hardware
// layer, media I/O): 32-bit object IDs, properties addressed by (selector, scope, element),
// numeric statuses, and listener blocks.
using ObjectID = std::uint32_t;
using OSStatus = std::int32_t;

inline constexpr ObjectID systemObjectID = 1;
inline constexpr ObjectID unknownObjectID = 0;

namespace OSStatusCode {
inline constexpr OSStatus noError = 0;
inline constexpr OSStatus unknownProperty = OSStatus(fourCC("who?"));
inline constexpr OSStatus badObject = OSStatus(fourCC("!obj"));
inline constexpr OSStatus badPropertySize = OSStatus(fourCC("!siz"));
inline constexpr OSStatus illegalOperation = OSStatus(fourCC("nope"));
inline constexpr OSStatus unsupportedOperation = OSStatus(fourCC("unop"));
inline constexpr OSStatus permissions = OSStatus(fourCC("!hog"));
inline constexpr OSStatus unspecified = OSStatus(fourCC("what"));
}  // namespace OSStatusCode

namespace PropertyScope {
inline constexpr FourCharCode global = fourCC("glob");
inline constexpr FourCharCode input = fourCC("inpt");
inline constexpr FourCharCode output = fourCC("outp");
}  // namespace PropertyScope

inline constexpr FourCharCode mainElement = 0;

struct PropertyAddress {
    FourCharCode selector = 0;
    FourCharCode scope = PropertyScope::global;
    FourCharCode element = mainElement;

    friend bool operator==(const PropertyAddress&, const PropertyAddress&) = default;
};

constexpr PropertyAddress globalAddress(FourCharCode selector) {
    return PropertyAddress{selector, PropertyScope::global, mainElement};
}

constexpr PropertyAddress inputAddress(FourCharCode selector) {
    return PropertyAddress{selector, PropertyScope::input, mainElement};
}

inline size_t qHash(const PropertyAddress& address, size_t seed = 0) {
    return qHashMulti(seed, address.selector, address.scope, address.element);
}

struct ValueRange {
    double minimum = 0;
    double maximum = 0;

    friend bool operator==(const ValueRange&, const ValueRange&) = default;
};

// A property's data, typed instead of a raw buffer. A null QString stands for a null string
// reference. `std::monostate` is "no data" (an absent qualifier).
using PropertyValue = std::variant<std::monostate, std::uint32_t, std::int32_t, float, double,
                                   QString, QList<ObjectID>, QList<ValueRange>>;

// A listener block; the service tells blocks apart by identity, as it does the OS's blocks.
using PropertyListenerFunction = std::function<void(const QList<PropertyAddress>& changed)>;
using PropertyListenerBlock = std::shared_ptr<const PropertyListenerFunction>;

// Listener blocks are called on the service's notification thread; never on the main thread.
// Every other call may be made from any thread and reports its outcome as a status.
class ObjectPropertyService {
public:
    virtual ~ObjectPropertyService() = default;

    virtual bool hasProperty(ObjectID object, const PropertyAddress& address) = 0;
    virtual OSStatus isPropertySettable(ObjectID object, const PropertyAddress& address,
                                        bool& settable) = 0;
    virtual OSStatus getPropertyData(ObjectID object, const PropertyAddress& address,
                                     const PropertyValue& qualifier, PropertyValue& value) = 0;
    virtual OSStatus setPropertyData(ObjectID object, const PropertyAddress& address,
                                     const PropertyValue& value) = 0;
    virtual OSStatus addPropertyListener(ObjectID object, const PropertyAddress& address,
                                         PropertyListenerBlock block) = 0;
    // Removes the registration made with the same object, address and block.
    virtual OSStatus removePropertyListener(ObjectID object, const PropertyAddress& address,
                                            const PropertyListenerBlock& block) = 0;
};

// A typed read: absent when the call fails or the data is not of the expected type.
template <typename T>
std::optional<T> readProperty(ObjectPropertyService& service, ObjectID object,
                              const PropertyAddress& address, const PropertyValue& qualifier = {}) {
    PropertyValue value;
    if (service.getPropertyData(object, address, qualifier, value) != OSStatusCode::noError) {
        return std::nullopt;
    }
    if (const auto* typed = std::get_if<T>(&value)) {
        return *typed;
    }
    return std::nullopt;
}

}  // namespace tavrin
