#pragma once

namespace tavrin {

// One channel's level on a 0 to 1 scale (−60 dB to 0 dB).
struct ChannelLevel {
    double average = 0;  // normalised RMS
    double peak = 0;
    double peakHold = 0;

    friend bool operator==(const ChannelLevel&, const ChannelLevel&) = default;
};

}  // namespace tavrin
