#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>

namespace tavrin {

// The unit IDs that a video-control interface's class-specific descriptors announce; 0 where
// none was found.
struct UVCUnitIDs {
    std::uint8_t cameraTerminal = 0;
    std::uint8_t processingUnit = 0;

    friend bool operator==(const UVCUnitIDs&, const UVCUnitIDs&) = default;
};

// The class-specific (CS_INTERFACE, 0x24) descriptors among the bytes that follow an interface
// descriptor, up to the next interface descriptor; the bytes may begin with that interface
// descriptor itself. The bytes come from the device: a length of 0 or 1, a length that runs past
// the end, or a truncated descriptor ends the walk with what was found so far.
QList<QByteArray> classSpecificInterfaceDescriptors(const QByteArray& bytes);

// The camera terminal and processing unit IDs; a later match overwrites an earlier one. Any
// descriptor is safe to hand in, an empty or truncated one included.
UVCUnitIDs readUnitIDs(const QList<QByteArray>& descriptors);

// Candidate USB location IDs in a camera's unique ID: the upper half of a leading "0x" 64-bit
// number, and every window of 8 hex digits (skipping a "0x" at its start). Unordered.
QList<std::uint32_t> locationIDCandidates(const QString& uniqueID);

}  // namespace tavrin
