#pragma once

#include <cmath>
#include <concepts>
#include <limits>
#include <optional>

namespace tavrin {

// A coordinate or a size as a whole number, its fraction dropped toward zero; absent when the
// value is not finite or the whole number doesn't fit `Integer`. Display services take 32-bit
// origins, and a plain cast of a larger double is undefined behaviour, not a large number.
template <std::signed_integral Integer>
std::optional<Integer> truncatedInteger(double value) {
    // -min() is a power of two, so both limits are exact doubles.
    constexpr double lowest = double(std::numeric_limits<Integer>::min());
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    const double whole = std::trunc(value);
    if (whole < lowest || whole >= -lowest) {
        return std::nullopt;
    }
    return static_cast<Integer>(whole);
}

}  // namespace tavrin
