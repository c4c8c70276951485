#include <benchmark/benchmark.h>

#include "platform/linux/AudioObjectTable.h"

namespace tavrin {
namespace {

// A busy desk: `range(0)` microphones, each recorded by four processes.
SoundServerState busyServer(int microphones) {
    SoundServerState state;
    state.isConnected = true;
    state.isPipeWire = true;
    for (int index = 0; index < microphones; ++index) {
        SoundServerSource source;
        source.index = std::uint32_t(index);
        source.name = QStringLiteral("alsa_input.usb-Desk_Mic_%1.analog-stereo").arg(index);
        source.description = QStringLiteral("Desk Mic %1").arg(index);
        source.sampleRate = 48000;
        source.channels = 2;
        source.channelVolumes = {soundServerNormalVolume, soundServerNormalVolume};
        state.sources.insert(source.index, source);
        for (int recorder = 0; recorder < 4; ++recorder) {
            SoundServerStream stream;
            stream.index = std::uint32_t(index * 4 + recorder);
            stream.sourceIndex = source.index;
            stream.processID = 1000 + recorder;
            state.streams.insert(stream.index, stream);
        }
    }
    return state;
}

// What every server event costs the audio hardware layer: the whole object table is rebuilt
// from the new state and compared with the one the listeners were last told of.
void rebuildAndDiffPerEvent(benchmark::State& state) {
    SoundServerObjectIDs ids;
    auto before = busyServer(int(state.range(0)));
    auto after = before;
    after.sources.first().channelVolumes = {1000, 1000};  // one volume change
    const auto told = audioObjectTable(before, ids, 1, {});
    for (auto _ : state) {
        const auto table = audioObjectTable(after, ids, 1, {});
        const auto changes = changedProperties(told, table);
        benchmark::DoNotOptimize(changes);
    }
}
BENCHMARK(rebuildAndDiffPerEvent)->Arg(4)->Arg(32)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tavrin
