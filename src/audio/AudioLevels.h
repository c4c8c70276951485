#pragma once

#include <QList>

#include "audio/ChannelLevel.h"
#include "audio/PcmBuffer.h"

namespace tavrin {

// A linear level on the 0 to 1 meter scale: −60 dB and below is 0, 0 dB and above is 1. Zero,
// negative and non-finite values are 0.
double normalisedLevel(float value);

// Peak and RMS of every channel, normalised; empty without channels or frames. Float samples are
// measured in place; integer samples are converted once per channel (int16 by 32767, int32 by
// 2^31).
QList<ChannelLevel> channelLevels(const PcmBuffer& buffer);

// The same formula written plainly, one sample at a time; the benchmarks compare against it.
QList<ChannelLevel> channelLevelsNaive(const PcmBuffer& buffer);

}  // namespace tavrin
