#include "runtime/TextFormat.h"

#include <QLocale>
#include <cmath>

namespace tavrin {

namespace {

// How many fraction digits (0 to 2) the value needs once rounded to hundredths.
int fractionDigits(double value) {
    const double hundredths = std::round(std::fabs(value) * 100.0);
    if (!std::isfinite(hundredths) || hundredths >= 9.0e15) {
        return 0;
    }
    const auto cents = static_cast<long long>(hundredths);
    if (cents % 100 == 0) {
        return 0;
    }
    return cents % 10 == 0 ? 1 : 2;
}

QString numberText(double value, bool grouping) {
    QLocale locale;
    locale.setNumberOptions(grouping ? QLocale::DefaultNumberOptions : QLocale::OmitGroupSeparator);
    const int digits = fractionDigits(value);
    // Round first so that a tiny negative value reads "0", not "-0".
    double rounded = value;
    if (std::isfinite(value) && std::fabs(value) < 9.0e13) {
        rounded = std::round(value * 100.0) / 100.0 + 0.0;
    }
    return locale.toString(rounded, 'f', digits);
}

}  // namespace

QString yesNoText(bool value) {
    return value ? QStringLiteral("yes") : QStringLiteral("no");
}

QString absentText() {
    return QStringLiteral("\u2014");
}

QString localizedNumberText(double value) {
    return numberText(value, true);
}

QString localizedNumberTextWithoutGrouping(double value) {
    return numberText(value, false);
}

}  // namespace tavrin
