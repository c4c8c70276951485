#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/AudioCaptureService.h"

namespace tavrin {

// A read-only view of a buffer's samples, without copying them: per channel a start and a
// stride in samples. Only made from buffers whose sizes have been checked.
struct PcmBuffer {
    AudioSampleBuffer::SampleType sampleType = AudioSampleBuffer::SampleType::none;
    std::uint32_t channelCount = 0;
    std::uint32_t frameLength = 0;
    std::ptrdiff_t stride = 1;
    std::vector<const void*> channels;

    // The view of a delivered buffer; absent when its description or data can't be read
    // safely (unknown sample type, sizes that disagree with the data, a zero stride).
    static std::optional<PcmBuffer> wrap(const AudioSampleBuffer& buffer);
};

}  // namespace tavrin
