#pragma once

#include <QHashFunctions>
#include <cstdint>
#include <memory>

#include "platform/UsbService.h"

namespace tavrin {

// Which unit of the camera a control lives on.
enum class UVCUnit { cameraTerminal, processingUnit };

struct UVCControlKey {
    std::uint8_t unitID = 0;
    std::uint8_t selector = 0;

    friend bool operator==(const UVCControlKey&, const UVCControlKey&) = default;
};

inline size_t qHash(const UVCControlKey& key, size_t seed = 0) {
    return qHashMulti(seed, key.unitID, key.selector);
}

// A probed control: a self-contained handle on the interface it was probed on.
struct UVCControl {
    std::uint8_t unitID = 0;
    std::uint8_t selector = 0;
    int byteCount = 0;
    bool supportsSet = false;
    std::int64_t min = 0;
    std::int64_t max = 0;
    std::int64_t defaultValue = 0;
    std::shared_ptr<UsbInterface> interface;
    std::uint8_t interfaceNumber = 0;

    // The range a value is clamped to. A device may report a minimum above its maximum (a 2-byte
    // maximum above 32767 reads negative); the bounds are then taken in order, so clamping stays
    // defined and the slider still has a range.
    std::int64_t lowerBound() const { return std::min(min, max); }
    std::int64_t upperBound() const { return std::max(min, max); }
    std::int64_t clamped(std::int64_t value) const {
        return std::clamp(value, lowerBound(), upperBound());
    }
};

}  // namespace tavrin
