#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace tavrin {

// The toolbar's item identifiers and what each shows.
namespace ToolbarItem {
inline const QString toggleSidebar = QStringLiteral("Tavrin.toggleSidebar");
inline const QString sidebarTracker = QStringLiteral("Tavrin.sidebarTracker");
inline const QString cameraPreviewToggle = QStringLiteral("Tavrin.cameraPreviewToggle");
inline const QString cameraMirrorToggle = QStringLiteral("Tavrin.cameraMirrorToggle");
inline const QString microphoneMeterToggle = QStringLiteral("Tavrin.microphoneMeterToggle");
inline const QString inspectorTracker = QStringLiteral("Tavrin.inspectorTracker");
inline const QString toggleInspector = QStringLiteral("Tavrin.toggleInspector");
inline const QString flexibleSpace = QStringLiteral("Tavrin.flexibleSpace");
inline const QString space = QStringLiteral("Tavrin.space");

// The order of a new toolbar, and every item the user may place (spaces any number of times).
QStringList defaultItems();
QStringList allowedItems();
bool isAllowed(const QString& identifier);
// Spaces may appear any number of times; every other item once.
bool isRepeatable(const QString& identifier);
}  // namespace ToolbarItem

struct ToolbarItemDescription {
    QString label;         // under the button, or in the customise dialog
    QString paletteLabel;  // in the customise dialog
    QString toolTip;
    QString symbol;
    QString accessibleName;
};

// Absent for an unknown identifier, which makes no item.
std::optional<ToolbarItemDescription> toolbarItemDescription(const QString& identifier);

// A stored order made safe: unknown identifiers and repeats of single items are dropped. Absent
// when nothing usable is left of a non-empty list, or the value was no list at all.
std::optional<QStringList> sanitizedToolbarItems(const QStringList& stored);

}  // namespace tavrin
