#include "audio/PcmBuffer.h"

namespace tavrin {

namespace {

qsizetype bytesPerSample(AudioSampleBuffer::SampleType type) {
    switch (type) {
        case AudioSampleBuffer::SampleType::float32:
        case AudioSampleBuffer::SampleType::int32:
            return 4;
        case AudioSampleBuffer::SampleType::int16:
            return 2;
        case AudioSampleBuffer::SampleType::none:
            return 0;
    }
    return 0;
}

// The bytes that `frames` frames of `channels` samples take; absent when the count overflows,
// as sizes a device reports can make it.
std::optional<qsizetype> byteCount(qsizetype frames, qsizetype channels, qsizetype sampleBytes) {
    qsizetype samples = 0;
    qsizetype bytes = 0;
    if (__builtin_mul_overflow(frames, channels, &samples) ||
        __builtin_mul_overflow(samples, sampleBytes, &bytes)) {
        return std::nullopt;
    }
    return bytes;
}

}  // namespace

std::optional<PcmBuffer> PcmBuffer::wrap(const AudioSampleBuffer& buffer) {
    if (!buffer.streamDescription) {
        return std::nullopt;
    }
    PcmBuffer view;
    view.sampleType = buffer.sampleType;
    view.channelCount = buffer.streamDescription->channelsPerFrame;
    view.frameLength = buffer.frameLength;
    if (view.channelCount == 0 || view.frameLength == 0) {
        return view;  // nothing to measure, but a readable buffer
    }
    const qsizetype sampleBytes = bytesPerSample(buffer.sampleType);
    if (sampleBytes == 0) {
        return view;  // no channel data the meter can read
    }
    const qsizetype frames = view.frameLength;
    if (buffer.isInterleaved) {
        const auto needed = byteCount(frames, view.channelCount, sampleBytes);
        if (!needed || buffer.channelData.size() != 1 || buffer.channelData[0].size() < *needed) {
            return std::nullopt;
        }
        view.stride = view.channelCount;
        const auto* base = buffer.channelData[0].constData();
        for (std::uint32_t channel = 0; channel < view.channelCount; ++channel) {
            view.channels.push_back(base + channel * sampleBytes);
        }
    } else {
        if (buffer.channelData.size() != qsizetype(view.channelCount)) {
            return std::nullopt;
        }
        view.stride = 1;
        const auto needed = byteCount(frames, 1, sampleBytes);
        for (const auto& data : buffer.channelData) {
            if (!needed || data.size() < *needed) {
                return std::nullopt;
            }
            view.channels.push_back(data.constData());
        }
    }
    return view;
}

}  // namespace tavrin
