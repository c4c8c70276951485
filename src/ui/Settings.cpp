#include "ui/Settings.h"

#include <cmath>

namespace tavrin {

QString SettingsKey::inspectorSectionExpanded(const QString& title) {
    return QStringLiteral("inspector.section.") + title + QStringLiteral(".expanded");
}

std::unique_ptr<QSettings> openSettings() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Tavrin"), QStringLiteral("Tavrin"));
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
