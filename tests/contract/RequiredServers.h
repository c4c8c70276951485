#pragma once

#include <QString>
#include <QStringList>

namespace tavrin::testing {

// Whether the test run started a real server of this kind ("pulseaudio", "pipewire", "xorg"),
// named in TAVRIN_TEST_REQUIRE_SERVERS: its tests must then run, and a skip is a failure.
inline bool isRequiredServer(const QString& kind) {
    return qEnvironmentVariable("TAVRIN_TEST_REQUIRE_SERVERS")
        .split(QLatin1Char(','))
        .contains(kind);
}

}  // namespace tavrin::testing
