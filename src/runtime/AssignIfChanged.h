#pragma once

#include <utility>

namespace tavrin {

// Stores `value` unless it equals the current one; tells whether it stored. Every observable
// setter goes through this, so an equal value notifies nobody and records nothing.
template <typename T, typename U>
bool assignIfChanged(T& field, U&& value) {
    if (field == value) {
        return false;
    }
    field = std::forward<U>(value);
    return true;
}

}  // namespace tavrin
