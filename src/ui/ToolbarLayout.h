#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace tavrin {

// Where each toolbar item goes. The two tracking separators stand over the sidebar's and the
// inspector's dividers and split the toolbar into three sections; within a section, items follow
// each other from its leading edge and flexible spaces share what is left. A separator whose
// pane is collapsed takes no room and splits nothing.
struct ToolbarPlacement {
    int x = 0;
    int width = 0;
    bool isVisible = true;  // a separator without its divider is not drawn

    friend bool operator==(const ToolbarPlacement&, const ToolbarPlacement&) = default;
};

struct ToolbarLayoutInput {
    QStringList items;
    std::function<int(const QString&)> widthOf;  // of fixed items; spaces and separators aside
    std::optional<int> sidebarDivider;
    std::optional<int> inspectorDivider;
    int width = 0;
    int margin = 6;
    int spacing = 4;
    int spaceWidth = 16;
};

QList<ToolbarPlacement> layoutToolbar(const ToolbarLayoutInput& input);

}  // namespace tavrin
