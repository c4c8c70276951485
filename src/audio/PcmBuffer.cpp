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
        const qsizetype needed = frames * view.channelCount * sampleBytes;
        if (buffer.channelData.size() != 1 || buffer.channelData[0].size() < needed) {
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
        for (const auto& data : buffer.channelData) {
            if (data.size() < frames * sampleBytes) {
                return std::nullopt;
            }
            view.channels.push_back(data.constData());
        }
    }
    return view;
}

}  // namespace tavrin
