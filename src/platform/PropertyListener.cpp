#include "platform/PropertyListener.h"

namespace tavrin {

PropertyListener::PropertyListener(ObjectPropertyService& service, ObjectID object,
                                   const PropertyAddress& address, PropertyListenerBlock block)
    : service_(service), objectID_(object), address_(address), block_(std::move(block)) {}

std::unique_ptr<PropertyListener> PropertyListener::registered(ObjectPropertyService& service,
                                                               ObjectID object,
                                                               const PropertyAddress& address,
                                                               PropertyListenerFunction block) {
    // A notification without addresses carries nothing to act on and is not passed on.
    auto shared = std::make_shared<const PropertyListenerFunction>(
        [block = std::move(block)](const QList<PropertyAddress>& changed) {
            if (!changed.isEmpty()) {
                block(changed);
            }
        });
    if (service.addPropertyListener(object, address, shared) != OSStatusCode::noError) {
        return nullptr;
    }
    return std::unique_ptr<PropertyListener>(
        new PropertyListener(service, object, address, std::move(shared)));
}

// The result is ignored: there is nothing left to do about a registration that won't go.
PropertyListener::~PropertyListener() {
    service_.removePropertyListener(objectID_, address_, block_);
}

}  // namespace tavrin
