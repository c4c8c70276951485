#pragma once

#include <cstdint>

#include "uvc/UVCControlTable.h"

namespace tavrin {

// One value per control; every number starts at 0 and every switch off, except the exposure
// mode, which starts at auto (2).
struct ControlValues {
    std::int64_t brightness = 0;
    std::int64_t contrast = 0;
    std::int64_t saturation = 0;
    std::int64_t sharpness = 0;
    std::int64_t hue = 0;
    bool hueAuto = false;
    std::int64_t gamma = 0;
    std::int64_t gain = 0;
    std::int64_t backlightCompensation = 0;
    std::int64_t aeMode = 2;
    std::int64_t exposureTime = 0;
    bool focusAuto = false;
    std::int64_t focusAbsolute = 0;
    bool whiteBalanceAuto = false;
    std::int64_t whiteBalanceTemperature = 0;
    std::int64_t zoomAbsolute = 0;
    std::int64_t powerLineFrequency = 0;

    // A switch reads 1 when on and 0 when off; storing any non-zero value turns it on.
    std::int64_t get(UVCControlID id) const;
    void set(UVCControlID id, std::int64_t value);

    friend bool operator==(const ControlValues&, const ControlValues&) = default;
};

}  // namespace tavrin
