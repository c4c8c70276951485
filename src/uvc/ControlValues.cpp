#include "uvc/ControlValues.h"

namespace tavrin {

namespace {

// The field of a control, numeric or switch; exactly one of the two is set.
struct FieldRef {
    std::int64_t* number = nullptr;
    bool* toggle = nullptr;
};

FieldRef field(ControlValues& values, UVCControlID id) {
    switch (id) {
        case UVCControlID::brightness:
            return {&values.brightness};
        case UVCControlID::contrast:
            return {&values.contrast};
        case UVCControlID::saturation:
            return {&values.saturation};
        case UVCControlID::sharpness:
            return {&values.sharpness};
        case UVCControlID::hue:
            return {&values.hue};
        case UVCControlID::hueAuto:
            return {nullptr, &values.hueAuto};
        case UVCControlID::gamma:
            return {&values.gamma};
        case UVCControlID::gain:
            return {&values.gain};
        case UVCControlID::backlightCompensation:
            return {&values.backlightCompensation};
        case UVCControlID::aeMode:
            return {&values.aeMode};
        case UVCControlID::exposureTime:
            return {&values.exposureTime};
        case UVCControlID::focusAuto:
            return {nullptr, &values.focusAuto};
        case UVCControlID::focusAbsolute:
            return {&values.focusAbsolute};
        case UVCControlID::whiteBalanceAuto:
            return {nullptr, &values.whiteBalanceAuto};
        case UVCControlID::whiteBalanceTemperature:
            return {&values.whiteBalanceTemperature};
        case UVCControlID::zoomAbsolute:
            return {&values.zoomAbsolute};
        case UVCControlID::powerLineFrequency:
            return {&values.powerLineFrequency};
    }
    return {};
}

}  // namespace

std::int64_t ControlValues::get(UVCControlID id) const {
    const auto ref = field(const_cast<ControlValues&>(*this), id);
    return ref.number ? *ref.number : (ref.toggle && *ref.toggle ? 1 : 0);
}

void ControlValues::set(UVCControlID id, std::int64_t value) {
    const auto ref = field(*this, id);
    if (ref.number) {
        *ref.number = value;
    } else if (ref.toggle) {
        *ref.toggle = value != 0;
    }
}

}  // namespace tavrin
