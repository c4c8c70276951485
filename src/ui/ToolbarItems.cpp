#include "ui/ToolbarItems.h"

#include <QSet>

namespace tavrin {

QStringList ToolbarItem::defaultItems() {
    return {toggleSidebar,       sidebarTracker,     flexibleSpace,
            cameraPreviewToggle, cameraMirrorToggle, microphoneMeterToggle,
            inspectorTracker,    flexibleSpace,      toggleInspector};
}

QStringList ToolbarItem::allowedItems() {
    return {toggleSidebar,      sidebarTracker,        cameraPreviewToggle,
            cameraMirrorToggle, microphoneMeterToggle, inspectorTracker,
            toggleInspector,    flexibleSpace,         space};
}

bool ToolbarItem::isAllowed(const QString& identifier) {
    return allowedItems().contains(identifier);
}

bool ToolbarItem::isRepeatable(const QString& identifier) {
    return identifier == flexibleSpace || identifier == space;
}

std::optional<ToolbarItemDescription> toolbarItemDescription(const QString& identifier) {
    using namespace ToolbarItem;
    if (identifier == toggleSidebar) {
        return ToolbarItemDescription{QStringLiteral("Sidebar"), QStringLiteral("Toggle Sidebar"),
                                      QStringLiteral("Show or hide the sidebar"),
                                      QStringLiteral("sidebar.left"),
                                      QStringLiteral("Toggle Sidebar")};
    }
    if (identifier == sidebarTracker) {
        return ToolbarItemDescription{{}, QStringLiteral("Sidebar Separator"), {}, {}, {}};
    }
    if (identifier == cameraPreviewToggle) {
        return ToolbarItemDescription{QStringLiteral("Preview"), QStringLiteral("Camera Preview"),
                                      QStringLiteral("Toggle live camera preview"),
                                      QStringLiteral("video"), QStringLiteral("Preview")};
    }
    if (identifier == cameraMirrorToggle) {
        return ToolbarItemDescription{
            QStringLiteral("Mirror"), QStringLiteral("Mirror Camera Preview"),
            QStringLiteral("Toggle horizontal mirror on the preview"),
            QStringLiteral("arrow.left.and.right.righttriangle.left.righttriangle.right"),
            QStringLiteral("Mirror Preview")};
    }
    if (identifier == microphoneMeterToggle) {
        return ToolbarItemDescription{QStringLiteral("Meter"), QStringLiteral("Microphone Meter"),
                                      QStringLiteral("Toggle live microphone meter"),
                                      QStringLiteral("mic"), QStringLiteral("Meter")};
    }
    if (identifier == inspectorTracker) {
        return ToolbarItemDescription{{}, QStringLiteral("Inspector Separator"), {}, {}, {}};
    }
    if (identifier == toggleInspector) {
        return ToolbarItemDescription{
            QStringLiteral("Inspector"), QStringLiteral("Toggle Inspector"),
            QStringLiteral("Show or hide the inspector"), QStringLiteral("sidebar.right"),
            QStringLiteral("Toggle Inspector")};
    }
    if (identifier == flexibleSpace) {
        return ToolbarItemDescription{{}, QStringLiteral("Flexible Space"), {}, {}, {}};
    }
    if (identifier == space) {
        return ToolbarItemDescription{{}, QStringLiteral("Space"), {}, {}, {}};
    }
    return std::nullopt;
}

std::optional<QStringList> sanitizedToolbarItems(const QStringList& stored) {
    QStringList items;
    QSet<QString> seen;
    for (const auto& identifier : stored) {
        if (!ToolbarItem::isAllowed(identifier)) {
            continue;
        }
        if (!ToolbarItem::isRepeatable(identifier)) {
            if (seen.contains(identifier)) {
                continue;
            }
            seen.insert(identifier);
        }
        items.append(identifier);
    }
    if (items.isEmpty() && !stored.isEmpty()) {
        return std::nullopt;
    }
    return items;
}

}  // namespace tavrin
