#include "ui/Settings.h"

#include <QCoreApplication>
#include <QPointer>

#include <cmath>

namespace tavrin {

QString SettingsKey::inspectorSectionExpanded(const QString& title) {
    return QStringLiteral("inspector.section.") + title + QStringLiteral(".expanded");
}

QSettings* openSettings() {
    // Owned by the application, which saves it on the way out.
    static QPointer<QSettings> settings;
    if (!settings) {
        settings =
            new QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tavrin"),
                          QStringLiteral("Tavrin"), QCoreApplication::instance());
    }
    return settings;
}

std::optional<double> storedLength(const QString& key) {
    const auto value = openSettings()->value(key);
    bool ok = false;
    const double length = value.toDouble(&ok);
    // Longer than any screen is as damaged as negative.
    if (!ok || !std::isfinite(length) || length <= 0 || length > 100000) {
        return std::nullopt;
    }
    return length;
}

}  // namespace tavrin
