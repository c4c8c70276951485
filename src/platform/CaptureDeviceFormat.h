#pragma once

#include <QList>
#include <cstdint>
#include <memory>
#include <optional>

#include "platform/MediaTime.h"
#include "runtime/FourCharCode.h"

namespace tavrin {

// What an audio stream's packets hold.
struct AudioStreamDescription {
    double sampleRate = 0;
    FourCharCode formatID = 0;
    std::uint32_t formatFlags = 0;
    std::uint32_t bytesPerPacket = 0;
    std::uint32_t framesPerPacket = 0;
    std::uint32_t bytesPerFrame = 0;
    std::uint32_t channelsPerFrame = 0;
    std::uint32_t bitsPerChannel = 0;

    friend bool operator==(const AudioStreamDescription&, const AudioStreamDescription&) = default;
};

// Linear PCM, and the format flags of its stream descriptions.
inline constexpr FourCharCode linearPCMFormat = fourCC("lpcm");
namespace AudioFormatFlag {
inline constexpr std::uint32_t isFloat = 1U << 0;
inline constexpr std::uint32_t isSignedInteger = 1U << 2;
inline constexpr std::uint32_t isPacked = 1U << 3;
inline constexpr std::uint32_t isNonInterleaved = 1U << 5;
}  // namespace AudioFormatFlag

// Packed, interleaved linear PCM: one frame per packet, every channel's sample in each frame.
inline AudioStreamDescription interleavedLinearPCM(double sampleRate, std::uint32_t channels,
                                                   std::uint32_t bitsPerChannel, bool isFloat) {
    const std::uint32_t frameBytes = channels * (bitsPerChannel / 8);
    return {sampleRate,
            linearPCMFormat,
            AudioFormatFlag::isPacked |
                (isFloat ? AudioFormatFlag::isFloat : AudioFormatFlag::isSignedInteger),
            frameBytes,
            1,
            frameBytes,
            channels,
            bitsPerChannel};
}

struct FrameRateRange {
    double minFrameRate = 0;
    double maxFrameRate = 0;
    MediaTime minFrameDuration;
    MediaTime maxFrameDuration;

    friend bool operator==(const FrameRateRange&, const FrameRateRange&) = default;
};

// One format a capture device can run in. Formats are shared and compared by content, as the
// capture service's own equality does.
struct CaptureDeviceFormat {
    FourCharCode mediaSubtype = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    QList<FrameRateRange> frameRateRanges;
    QList<int> supportedColorSpaces;
    int autoFocusSystem = 0;
    bool isCenterStageSupported = false;
    bool isPortraitEffectSupported = false;
    bool isStudioLightSupported = false;
    bool isBackgroundReplacementSupported = false;
    bool reactionEffectsSupported = false;
    // Audio formats carry the description of their stream.
    std::optional<AudioStreamDescription> streamDescription;

    friend bool operator==(const CaptureDeviceFormat&, const CaptureDeviceFormat&) = default;
};

using CaptureFormat = std::shared_ptr<const CaptureDeviceFormat>;

// Two optional formats are equal when both are absent or their contents are equal.
inline bool sameFormat(const CaptureFormat& a, const CaptureFormat& b) {
    return a == b || (a && b && *a == *b);
}

}  // namespace tavrin
