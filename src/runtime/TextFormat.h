#pragma once

#include <QString>
#include <optional>

namespace tavrin {

// Texts shared by every event message and read-out.
QString yesNoText(bool value);

// What stands for an absent value: "—".
QString absentText();

// A number in the current locale with 0 to 2 fraction digits ("48,000", "29.97", "0.5").
QString localizedNumberText(double value);
// The same without digit grouping ("48000").
QString localizedNumberTextWithoutGrouping(double value);

// The text of an optional value, or the absent text.
template <typename T, typename Format>
QString optionalText(const std::optional<T>& value, Format&& format) {
    return value ? format(*value) : absentText();
}

}  // namespace tavrin
