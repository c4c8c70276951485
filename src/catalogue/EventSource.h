#pragma once

#include <QString>

namespace tavrin::EventSource {

// The category words of event log lines.
inline const QString discovery = QStringLiteral("Discovery");
inline const QString capture = QStringLiteral("Capture");
inline const QString usage = QStringLiteral("Usage");
inline const QString power = QStringLiteral("Power");
inline const QString effects = QStringLiteral("Effects");
inline const QString exposure = QStringLiteral("Exposure");
inline const QString focus = QStringLiteral("Focus");
inline const QString whiteBalance = QStringLiteral("WhiteBalance");
inline const QString configuration = QStringLiteral("Configuration");
inline const QString audio = QStringLiteral("Audio");
inline const QString system = QStringLiteral("System");
inline const QString geometry = QStringLiteral("Geometry");
inline const QString mode = QStringLiteral("Mode");
inline const QString mirror = QStringLiteral("Mirror");
inline const QString app = QStringLiteral("App");

}  // namespace tavrin::EventSource
