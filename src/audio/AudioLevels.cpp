#include "audio/AudioLevels.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace tavrin {

namespace {

using SampleType = AudioSampleBuffer::SampleType;

struct PeakAndRms {
    float peak = 0;
    float rms = 0;
};

// Eight independent lanes let the compiler keep the loop in vector registers.
constexpr std::size_t lanes = 8;

// Interleaved float frames whose channel count divides the lane count are measured in one pass:
// lane k always holds channel k % channels. `result` has room for `channels` entries.
void measureInterleaved(const float* samples, std::size_t frames, std::size_t channels,
                        PeakAndRms* result) {
    std::array<float, lanes> peaks{};
    std::array<float, lanes> squares{};
    const std::size_t total = frames * channels;
    std::size_t index = 0;
    for (; index + lanes <= total; index += lanes) {
        for (std::size_t lane = 0; lane < lanes; ++lane) {
            const float value = samples[index + lane];
            peaks[lane] = std::max(peaks[lane], std::fabs(value));
            squares[lane] += value * value;
        }
    }
    std::array<float, lanes> sums{};
    for (std::size_t channel = 0; channel < channels; ++channel) {
        result[channel] = {};
    }
    for (std::size_t lane = 0; lane < lanes; ++lane) {
        result[lane % channels].peak = std::max(result[lane % channels].peak, peaks[lane]);
        sums[lane % channels] += squares[lane];
    }
    for (; index < total; ++index) {
        const float value = samples[index];
        result[index % channels].peak = std::max(result[index % channels].peak, std::fabs(value));
        sums[index % channels] += value * value;
    }
    for (std::size_t channel = 0; channel < channels; ++channel) {
        result[channel].rms = std::sqrt(sums[channel] / float(frames));
    }
}

PeakAndRms measureContiguous(const float* samples, std::size_t count) {
    PeakAndRms result;
    measureInterleaved(samples, count, 1, &result);
    return result;
}

PeakAndRms measureStrided(const float* samples, std::size_t count, std::ptrdiff_t stride) {
    float peak = 0;
    float sum = 0;
    for (std::size_t index = 0; index < count; ++index) {
        const float value = samples[std::ptrdiff_t(index) * stride];
        peak = std::max(peak, std::fabs(value));
        sum += value * value;
    }
    return {peak, std::sqrt(sum / float(count))};
}

template <typename Integer>
PeakAndRms measureIntegers(const Integer* samples, std::size_t count, std::ptrdiff_t stride,
                           float divisor, std::vector<float>& scratch) {
    scratch.resize(count);
    const float scale = 1.0f / divisor;
    for (std::size_t index = 0; index < count; ++index) {
        scratch[index] = float(samples[std::ptrdiff_t(index) * stride]) * scale;
    }
    return measureContiguous(scratch.data(), count);
}

ChannelLevel levelOf(const PeakAndRms& measured) {
    return {normalisedLevel(measured.rms), normalisedLevel(measured.peak), 0};
}

bool isReadable(const PcmBuffer& buffer) {
    return buffer.channelCount > 0 && buffer.frameLength > 0 && buffer.stride > 0 &&
           buffer.channels.size() == buffer.channelCount && buffer.sampleType != SampleType::none;
}

}  // namespace

double normalisedLevel(float value) {
    if (!(value > 0) || !std::isfinite(value)) {
        return 0;
    }
    const double decibels = 20.0 * std::log10(double(value));
    if (decibels <= -60) {
        return 0;
    }
    if (decibels >= 0) {
        return 1;
    }
    return (decibels + 60) / 60;
}

QList<ChannelLevel> channelLevels(const PcmBuffer& buffer) {
    if (!isReadable(buffer)) {
        return {};
    }
    QList<ChannelLevel> levels;
    levels.reserve(buffer.channelCount);
    const std::size_t frames = buffer.frameLength;
    switch (buffer.sampleType) {
        case SampleType::float32: {
            const bool interleaved = buffer.stride == std::ptrdiff_t(buffer.channelCount) &&
                                     buffer.channelCount > 1 && lanes % buffer.channelCount == 0;
            if (interleaved) {
                std::array<PeakAndRms, lanes> measured;
                measureInterleaved(static_cast<const float*>(buffer.channels[0]), frames,
                                   buffer.channelCount, measured.data());
                for (std::uint32_t channel = 0; channel < buffer.channelCount; ++channel) {
                    levels.append(levelOf(measured[channel]));
                }
                break;
            }
            for (const auto* channel : buffer.channels) {
                const auto* samples = static_cast<const float*>(channel);
                levels.append(levelOf(buffer.stride == 1
                                          ? measureContiguous(samples, frames)
                                          : measureStrided(samples, frames, buffer.stride)));
            }
            break;
        }
        case SampleType::int16: {
            thread_local std::vector<float> scratch;
            for (const auto* channel : buffer.channels) {
                levels.append(levelOf(measureIntegers(static_cast<const std::int16_t*>(channel),
                                                      frames, buffer.stride, 32767.0f, scratch)));
            }
            break;
        }
        case SampleType::int32: {
            thread_local std::vector<float> scratch;
            for (const auto* channel : buffer.channels) {
                levels.append(
                    levelOf(measureIntegers(static_cast<const std::int32_t*>(channel), frames,
                                            buffer.stride, 2147483648.0f, scratch)));
            }
            break;
        }
        case SampleType::none:
            break;
    }
    return levels;
}

QList<ChannelLevel> channelLevelsNaive(const PcmBuffer& buffer) {
    if (!isReadable(buffer)) {
        return {};
    }
    QList<ChannelLevel> levels;
    for (const auto* channel : buffer.channels) {
        double peak = 0;
        double sum = 0;
        for (std::size_t index = 0; index < buffer.frameLength; ++index) {
            const std::ptrdiff_t at = std::ptrdiff_t(index) * buffer.stride;
            double value = 0;
            switch (buffer.sampleType) {
                case SampleType::float32:
                    value = static_cast<const float*>(channel)[at];
                    break;
                case SampleType::int16:
                    value = static_cast<const std::int16_t*>(channel)[at] / 32767.0;
                    break;
                case SampleType::int32:
                    value = static_cast<const std::int32_t*>(channel)[at] / 2147483648.0;
                    break;
                case SampleType::none:
                    break;
            }
            peak = std::max(peak, std::fabs(value));
            sum += value * value;
        }
        levels.append({normalisedLevel(float(std::sqrt(sum / buffer.frameLength))),
                       normalisedLevel(float(peak)), 0});
    }
    return levels;
}

}  // namespace tavrin
