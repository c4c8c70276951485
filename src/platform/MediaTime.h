#pragma once

#include <cstdint>

namespace tavrin {

// A rational time as the media framework keeps it. Times compare as times, not as fields:
// 1/30 equals 2/60. Every invalid time equals every other invalid time and no valid one.
struct MediaTime {
    static constexpr std::uint32_t validFlag = 1;

    std::int64_t value = 0;
    std::int32_t timescale = 0;
    std::uint32_t flags = 0;
    std::int64_t epoch = 0;

    static constexpr MediaTime make(std::int64_t value, std::int32_t timescale) {
        return {value, timescale, validFlag, 0};
    }
    static constexpr MediaTime invalid() { return {}; }

    // Valid with a positive timescale; anything else can't be turned into seconds.
    bool isValid() const { return (flags & validFlag) && timescale > 0; }
    double seconds() const { return isValid() ? double(value) / double(timescale) : 0.0; }

    friend bool operator==(const MediaTime& a, const MediaTime& b) {
        if (!a.isValid() || !b.isValid()) {
            return a.isValid() == b.isValid();
        }
        __extension__ using Wide = __int128;  // the cross products can exceed 64 bits
        return a.epoch == b.epoch && Wide(a.value) * b.timescale == Wide(b.value) * a.timescale;
    }
};

}  // namespace tavrin
