#include <benchmark/benchmark.h>

#include "audio/AudioLevels.h"
#include "platform/fake/FakeAudioCapture.h"

namespace tavrin {
namespace {

constexpr std::uint32_t frames = 4096;

AudioSampleBuffer bufferOf(AudioSampleBuffer::SampleType type) {
    return type == AudioSampleBuffer::SampleType::float32
               ? FakeAudioCaptureSession::sine(0.5f, 997, 2, frames)
               : FakeAudioCaptureSession::int16Constant(12345, 2, frames);
}

// A 4096-frame stereo buffer: 85 ms of a 48 kHz stream.
template <QList<ChannelLevel> (*Measure)(const PcmBuffer&)>
void levels(benchmark::State& state) {
    const auto buffer = bufferOf(AudioSampleBuffer::SampleType(state.range(0)));
    const auto view = *PcmBuffer::wrap(buffer);
    for (auto _ : state) {
        benchmark::DoNotOptimize(Measure(view));
    }
    state.counters["frames_per_second"] =
        benchmark::Counter(double(state.iterations()) * frames, benchmark::Counter::kIsRate);
}

void channelLevelsFast(benchmark::State& state) {
    levels<channelLevels>(state);
}
void channelLevelsPlain(benchmark::State& state) {
    levels<channelLevelsNaive>(state);
}

BENCHMARK(channelLevelsFast)
    ->Arg(int(AudioSampleBuffer::SampleType::float32))
    ->Arg(int(AudioSampleBuffer::SampleType::int16));
BENCHMARK(channelLevelsPlain)
    ->Arg(int(AudioSampleBuffer::SampleType::float32))
    ->Arg(int(AudioSampleBuffer::SampleType::int16));

}  // namespace
}  // namespace tavrin
