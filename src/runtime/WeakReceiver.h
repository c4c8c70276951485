#pragma once

#include <QPointer>

namespace tavrin {

// A receiver of published values that calls `setter` on `object` while the object exists and
// does nothing once it is gone.
template <typename Object, typename Setter>
auto weakReceiver(Object* object, Setter setter) {
    return [self = QPointer<Object>(object), setter](const auto& value) {
        if (self) {
            (self.data()->*setter)(value);
        }
    };
}

}  // namespace tavrin
