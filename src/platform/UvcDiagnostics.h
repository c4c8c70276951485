#pragma once

#include <QString>
#include <cstdio>

namespace tavrin {

// Writes one "[UVC] " diagnostic line to standard output, for the UVC controller and the USB
// services beneath it alike.
inline void printUVCLine(const QString& line) {
    std::fputs((QStringLiteral("[UVC] ") + line + QLatin1Char('\n')).toUtf8().constData(), stdout);
    std::fflush(stdout);
}

}  // namespace tavrin
