#pragma once

#include <vector>

#include "platform/ObjectPropertyService.h"

namespace tavrin {

// The listener registrations of an object/property service: blocks told apart by identity, one
// registration per (object, address, block) call. Not locked itself; its owner locks.
class PropertyListenerRegistry {
public:
    void add(ObjectID object, const PropertyAddress& address, PropertyListenerBlock block) {
        registrations_.push_back(Registration{object, address, std::move(block)});
    }

    // Removes one registration made with the same object, address and block.
    bool remove(ObjectID object, const PropertyAddress& address,
                const PropertyListenerBlock& block) {
        for (auto entry = registrations_.begin(); entry != registrations_.end(); ++entry) {
            if (entry->object == object && entry->address == address && entry->block == block) {
                registrations_.erase(entry);
                return true;
            }
        }
        return false;
    }

    std::vector<PropertyListenerBlock> blocks(ObjectID object,
                                              const PropertyAddress& address) const {
        std::vector<PropertyListenerBlock> found;
        for (const auto& entry : registrations_) {
            if (entry.object == object && entry.address == address) {
                found.push_back(entry.block);
            }
        }
        return found;
    }

    std::size_t count(ObjectID object, const PropertyAddress& address) const {
        return blocks(object, address).size();
    }
    std::size_t count() const { return registrations_.size(); }

private:
    struct Registration {
        ObjectID object;
        PropertyAddress address;
        PropertyListenerBlock block;
    };
    std::vector<Registration> registrations_;
};

}  // namespace tavrin
