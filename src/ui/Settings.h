#pragma once

#include <QSettings>
#include <QString>
#include <optional>

namespace tavrin {

// The keys of the interface's preferences, in one place.
namespace SettingsKey {
inline const QString mainWindow = QStringLiteral("Tavrin.MainWindow");
inline const QString toolbar = QStringLiteral("Tavrin.Toolbar");
inline const QString toolbarShown = QStringLiteral("Tavrin.ToolbarShown");
inline const QString mainSplit = QStringLiteral("Tavrin.MainSplit");
inline const QString verticalSplit = QStringLiteral("Tavrin.VerticalSplit");
inline const QString lastExpandedLogHeight = QStringLiteral("Tavrin.lastExpandedLogHeight");
inline const QString sidebar = QStringLiteral("Tavrin.Sidebar");
QString inspectorSectionExpanded(const QString& title);
}  // namespace SettingsKey

// The preferences store: organisation and application "Tavrin", in the user's configuration
// directory (tests point it elsewhere with QSettings::setPath before the first call). One
// instance serves the whole process, so the many small writes of a drag or an animation are
// gathered and saved together later, never on each step. Every value read from it is checked,
// so a damaged file gives the defaults. Main thread.
QSettings* openSettings();

// A positive, finite number of points under `key`, or nothing.
std::optional<double> storedLength(const QString& key);

}  // namespace tavrin
