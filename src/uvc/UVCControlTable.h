#pragma once

#include <array>
#include <cstdint>

#include "uvc/UVCControl.h"

namespace tavrin {

// The controls the controls section works with, in the order it probes, reads and restores them.
enum class UVCControlID {
    brightness,
    contrast,
    saturation,
    sharpness,
    hue,
    hueAuto,
    gamma,
    gain,
    backlightCompensation,
    aeMode,
    exposureTime,
    focusAuto,
    focusAbsolute,
    whiteBalanceAuto,
    whiteBalanceTemperature,
    zoomAbsolute,
    powerLineFrequency,
};

struct UVCControlSpec {
    UVCControlID id;
    UVCUnit unit;
    std::uint8_t selector;
    int byteCount;
};

inline constexpr std::array<UVCControlSpec, 17> uvcControlTable{{
    {UVCControlID::brightness, UVCUnit::processingUnit, 0x02, 2},
    {UVCControlID::contrast, UVCUnit::processingUnit, 0x03, 2},
    {UVCControlID::saturation, UVCUnit::processingUnit, 0x07, 2},
    {UVCControlID::sharpness, UVCUnit::processingUnit, 0x08, 2},
    {UVCControlID::hue, UVCUnit::processingUnit, 0x06, 2},
    {UVCControlID::hueAuto, UVCUnit::processingUnit, 0x10, 1},
    {UVCControlID::gamma, UVCUnit::processingUnit, 0x09, 2},
    {UVCControlID::gain, UVCUnit::processingUnit, 0x04, 2},
    {UVCControlID::backlightCompensation, UVCUnit::processingUnit, 0x01, 2},
    {UVCControlID::aeMode, UVCUnit::cameraTerminal, 0x02, 1},
    {UVCControlID::exposureTime, UVCUnit::cameraTerminal, 0x04, 4},
    {UVCControlID::focusAuto, UVCUnit::cameraTerminal, 0x08, 1},
    {UVCControlID::focusAbsolute, UVCUnit::cameraTerminal, 0x06, 2},
    {UVCControlID::whiteBalanceAuto, UVCUnit::processingUnit, 0x0B, 1},
    {UVCControlID::whiteBalanceTemperature, UVCUnit::processingUnit, 0x0A, 2},
    {UVCControlID::zoomAbsolute, UVCUnit::cameraTerminal, 0x0B, 2},
    {UVCControlID::powerLineFrequency, UVCUnit::processingUnit, 0x05, 1},
}};

constexpr const UVCControlSpec& uvcControlSpec(UVCControlID id) {
    return uvcControlTable[std::size_t(id)];
}

// The privacy shutter, shown only as a read-out: camera terminal, CT_PRIVACY_CONTROL, 1 byte.
inline constexpr std::uint8_t uvcPrivacySelector = 0x11;
inline constexpr int uvcPrivacyByteCount = 1;

}  // namespace tavrin
