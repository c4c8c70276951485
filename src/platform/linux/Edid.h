#pragma once

#include <QByteArrayView>
#include <QString>
#include <optional>

namespace tavrin {

// What a monitor's EDID tells about it. An EDID is device data: anything malformed in it is
// ignored, never trusted.
struct EdidInfo {
    // The monitor-name descriptor's text; absent when the block has none.
    std::optional<QString> monitorName;
    // "sRGB" when the block declares sRGB its default colour space; EDIDs name no other.
    std::optional<QString> colorSpaceName;
};

// Reads the base block of an EDID: absent when it is shorter than one block, its header or its
// checksum is wrong. Only the base block's fixed descriptor slots are read, never past 128
// bytes, whatever the extension count claims.
std::optional<EdidInfo> parseEdid(QByteArrayView bytes);

}  // namespace tavrin
