#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>

#include "platform/UsbDescriptorWalk.h"

namespace tavrin {

// The unit IDs that a video-control interface's class-specific descriptors announce; 0 where
// none was found.
struct UVCUnitIDs {
    std::uint8_t cameraTerminal = 0;
    std::uint8_t processingUnit = 0;

    friend bool operator==(const UVCUnitIDs&, const UVCUnitIDs&) = default;
};

// The camera terminal and processing unit IDs; a later match overwrites an earlier one. Any
// descriptor is safe to hand in, an empty or truncated one included.
UVCUnitIDs readUnitIDs(const QList<QByteArray>& descriptors);

// Candidate USB location IDs in a camera's unique ID: the upper half of a leading "0x" 64-bit
// number, and every window of 8 hex digits (skipping a "0x" at its start). Unordered.
QList<std::uint32_t> locationIDCandidates(const QString& uniqueID);

}  // namespace tavrin
