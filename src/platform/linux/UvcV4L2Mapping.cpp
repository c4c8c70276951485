#include "platform/linux/UvcV4L2Mapping.h"

#include <linux/videodev2.h>

#include <array>

namespace tavrin::UvcV4L2Mapping {

namespace {

using enum UvcEntity;
using enum UvcValueKind;

// As uvcvideo maps them. Brightness and hue are the only signed ones.
constexpr std::array<UvcV4L2Control, 18> controls{{
    {processingUnit, 0x01, V4L2_CID_BACKLIGHT_COMPENSATION, unsignedNumber, "backlight"},
    {processingUnit, 0x02, V4L2_CID_BRIGHTNESS, signedNumber, "brightness"},
    {processingUnit, 0x03, V4L2_CID_CONTRAST, unsignedNumber, "contrast"},
    {processingUnit, 0x04, V4L2_CID_GAIN, unsignedNumber, "gain"},
    {processingUnit, 0x05, V4L2_CID_POWER_LINE_FREQUENCY, unsignedNumber, "power line frequency"},
    {processingUnit, 0x06, V4L2_CID_HUE, signedNumber, "hue"},
    {processingUnit, 0x07, V4L2_CID_SATURATION, unsignedNumber, "saturation"},
    {processingUnit, 0x08, V4L2_CID_SHARPNESS, unsignedNumber, "sharpness"},
    {processingUnit, 0x09, V4L2_CID_GAMMA, unsignedNumber, "gamma"},
    {processingUnit, 0x0A, V4L2_CID_WHITE_BALANCE_TEMPERATURE, unsignedNumber,
     "white balance temperature"},
    {processingUnit, 0x0B, V4L2_CID_AUTO_WHITE_BALANCE, unsignedNumber,
     "white balance temperature auto"},
    {processingUnit, 0x10, V4L2_CID_HUE_AUTO, unsignedNumber, "hue auto"},
    {cameraTerminal, 0x02, V4L2_CID_EXPOSURE_AUTO, exposureModeBitmap, "exposure mode"},
    {cameraTerminal, 0x04, V4L2_CID_EXPOSURE_ABSOLUTE, unsignedNumber, "exposure time"},
    {cameraTerminal, 0x06, V4L2_CID_FOCUS_ABSOLUTE, unsignedNumber, "focus"},
    {cameraTerminal, 0x08, V4L2_CID_FOCUS_AUTO, unsignedNumber, "focus auto"},
    {cameraTerminal, 0x0B, V4L2_CID_ZOOM_ABSOLUTE, unsignedNumber, "zoom"},
    {cameraTerminal, 0x11, V4L2_CID_PRIVACY, unsignedNumber, "privacy"},
}};

constexpr std::array<std::int64_t, 4> exposureBitmaps{2, 1, 4, 8};

}  // namespace

std::span<const UvcV4L2Control> table() {
    return controls;
}

const UvcV4L2Control* find(UvcEntity entity, std::uint8_t selector) {
    for (const auto& control : table()) {
        if (control.entity == entity && control.selector == selector) {
            return &control;
        }
    }
    return nullptr;
}

std::optional<std::int32_t> exposureMenuItem(std::int64_t bitmap) {
    for (std::size_t item = 0; item < exposureBitmaps.size(); ++item) {
        if (exposureBitmaps[item] == bitmap) {
            return std::int32_t(item);
        }
    }
    return std::nullopt;
}

std::optional<std::int64_t> exposureBitmap(std::int32_t menuItem) {
    if (menuItem < 0 || std::size_t(menuItem) >= exposureBitmaps.size()) {
        return std::nullopt;
    }
    return exposureBitmaps[std::size_t(menuItem)];
}

bool fits(std::int64_t value, int byteCount, bool isSigned) {
    if (byteCount <= 0) {
        return false;
    }
    if (byteCount >= 8) {
        return isSigned || value >= 0;
    }
    const int bits = 8 * byteCount;
    if (isSigned) {
        return value >= -(std::int64_t(1) << (bits - 1)) &&
               value <= (std::int64_t(1) << (bits - 1)) - 1;
    }
    return value >= 0 && value <= (std::int64_t(1) << bits) - 1;
}

void encode(std::int64_t value, std::uint8_t* data, int byteCount) {
    for (int k = 0; k < byteCount; ++k) {
        data[k] = k < 8 ? std::uint8_t(std::uint64_t(value) >> (8 * k)) : 0;
    }
}

std::int64_t decode(const std::uint8_t* data, int byteCount, bool isSigned) {
    const int count = std::min(byteCount, 8);
    std::uint64_t bits = 0;
    for (int k = 0; k < count; ++k) {
        bits |= std::uint64_t(data[k]) << (8 * k);
    }
    const int width = 8 * count;
    if (isSigned && width > 0 && width < 64 && ((bits >> (width - 1)) & 1)) {
        bits |= ~std::uint64_t(0) << width;
    }
    return std::int64_t(bits);
}

std::uint8_t infoByte(std::uint32_t v4l2Flags) {
    std::uint8_t info = 0;
    if (!(v4l2Flags & V4L2_CTRL_FLAG_WRITE_ONLY)) {
        info |= 0x01;
    }
    if (!(v4l2Flags & V4L2_CTRL_FLAG_READ_ONLY)) {
        info |= 0x02;
    }
    if (v4l2Flags & V4L2_CTRL_FLAG_INACTIVE) {
        info |= 0x04;
    }
    if (v4l2Flags & V4L2_CTRL_FLAG_VOLATILE) {
        info |= 0x08;
    }
    return info;
}

}  // namespace tavrin::UvcV4L2Mapping
