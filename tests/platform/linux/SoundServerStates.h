#pragma once

#include "platform/linux/SoundServerState.h"

// Sound server states for the tests of the Linux backend's pure parts.
namespace tavrin::testing {

constexpr std::int32_t ownPID = 500;

inline SoundServerSource source(std::uint32_t index, const QString& name) {
    SoundServerSource source;
    source.index = index;
    source.name = name;
    source.description = name.toUpper();
    source.sampleRate = 48000;
    source.channels = 2;
    source.bitsPerSample = 32;
    source.isFloat = true;
    source.channelVolumes = {soundServerNormalVolume, soundServerNormalVolume};
    return source;
}

inline SoundServerStream stream(std::uint32_t index, std::uint32_t sourceIndex,
                                std::optional<std::int32_t> pid, bool corked = false) {
    SoundServerStream stream;
    stream.index = index;
    stream.sourceIndex = sourceIndex;
    stream.clientIndex = 900 + index;
    stream.processID = pid;
    stream.isCorked = corked;
    return stream;
}

inline SoundServerState twoMicrophonesAndAMonitor() {
    SoundServerState state;
    state.isConnected = true;
    state.sources.insert(1, source(1, QStringLiteral("mic.a")));
    state.sources.insert(2, source(2, QStringLiteral("mic.b")));
    auto monitor = source(3, QStringLiteral("out.monitor"));
    monitor.isMonitor = true;
    state.sources.insert(3, monitor);
    state.defaultSourceName = QStringLiteral("mic.b");
    return state;
}

}  // namespace tavrin::testing
