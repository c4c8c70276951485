#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <span>

namespace tavrin {

// Which unit a mapped control lives on.
enum class UvcEntity { cameraTerminal, processingUnit };

// How a control's value travels in a request: a plain number (signed or not), or the auto-exposure
// mode's bitmap, which V4L2 shows as a menu.
enum class UvcValueKind { unsignedNumber, signedNumber, exposureModeBitmap };

struct UvcV4L2Control {
    UvcEntity entity;
    std::uint8_t selector;
    std::uint32_t v4l2ID;
    UvcValueKind kind;
    const char* name;
};

// Pure translations between USB Video Class control requests and the V4L2 controls that the
// uvcvideo driver makes of them, with the driver's own mapping.
namespace UvcV4L2Mapping {

// Every mapped camera terminal and processing unit control.
std::span<const UvcV4L2Control> table();
// The mapping of a selector on a unit; absent when the driver maps nothing there.
const UvcV4L2Control* find(UvcEntity entity, std::uint8_t selector);

// V4L2_CID_EXPOSURE_AUTO's menu against the UVC bitmap: auto 0 ↔ 2, manual 1 ↔ 1, shutter
// priority 2 ↔ 4, aperture priority 3 ↔ 8. Absent for anything else.
std::optional<std::int32_t> exposureMenuItem(std::int64_t bitmap);
std::optional<std::int64_t> exposureBitmap(std::int32_t menuItem);

// Whether `value` can travel in `byteCount` bytes and read back the same: a signed number from
// -2^(8n-1) to 2^(8n-1)-1, an unsigned one from 0 to 2^(8n)-1.
bool fits(std::int64_t value, int byteCount, bool isSigned);
// Little-endian two's complement into `byteCount` bytes.
void encode(std::int64_t value, std::uint8_t* data, int byteCount);
// Little-endian from `byteCount` bytes (at most 8), sign-extended when `isSigned`.
std::int64_t decode(const std::uint8_t* data, int byteCount, bool isSigned);
// GET_INFO from the control's V4L2 flags: bit 0 GET, bit 1 SET, bit 2 disabled by an automatic
// mode, bit 3 changes by itself.
std::uint8_t infoByte(std::uint32_t v4l2Flags);

}  // namespace UvcV4L2Mapping

}  // namespace tavrin
