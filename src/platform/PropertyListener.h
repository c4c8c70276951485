#pragma once

#include <memory>

#include "platform/ObjectPropertyService.h"

namespace tavrin {

// One listener registration: an object, a property address and a block. It exists only while
// registered, and removes its registration when released.
class PropertyListener {
public:
    // Registers the block; on any status other than success the listener is discarded and
    // nothing is retried.
    static std::unique_ptr<PropertyListener> registered(ObjectPropertyService& service,
                                                        ObjectID object,
                                                        const PropertyAddress& address,
                                                        PropertyListenerFunction block);
    ~PropertyListener();
    PropertyListener(const PropertyListener&) = delete;
    PropertyListener& operator=(const PropertyListener&) = delete;

    ObjectID objectID() const { return objectID_; }
    const PropertyAddress& address() const { return address_; }

private:
    PropertyListener(ObjectPropertyService& service, ObjectID object,
                     const PropertyAddress& address, PropertyListenerBlock block);

    ObjectPropertyService& service_;
    const ObjectID objectID_;
    const PropertyAddress address_;
    const PropertyListenerBlock block_;
};

}  // namespace tavrin
