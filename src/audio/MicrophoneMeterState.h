#pragma once

#include <QList>

#include "audio/ChannelLevel.h"

namespace tavrin {

// What the meter shows: levels of a stream that has been silent since the last reset, levels
// of one that has carried audio, or no buffers at all.
struct MicrophoneMeterState {
    enum class Kind { silent, audio, missingAudio };

    Kind kind = Kind::missingAudio;
    QList<ChannelLevel> levels;

    static MicrophoneMeterState silent(QList<ChannelLevel> levels) {
        return {Kind::silent, std::move(levels)};
    }
    static MicrophoneMeterState audio(QList<ChannelLevel> levels) {
        return {Kind::audio, std::move(levels)};
    }
    static MicrophoneMeterState missingAudio() { return {}; }

    friend bool operator==(const MicrophoneMeterState&, const MicrophoneMeterState&) = default;
};

}  // namespace tavrin
