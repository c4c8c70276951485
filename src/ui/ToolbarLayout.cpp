#include "ui/ToolbarLayout.h"

#include <algorithm>

#include "ui/ToolbarItems.h"

namespace tavrin {

namespace {

bool isTracker(const QString& identifier) {
    return identifier == ToolbarItem::sidebarTracker || identifier == ToolbarItem::inspectorTracker;
}

}  // namespace

QList<ToolbarPlacement> layoutToolbar(const ToolbarLayoutInput& input) {
    QList<ToolbarPlacement> placements(input.items.size());
    auto dividerOf = [&](const QString& identifier) {
        return identifier == ToolbarItem::sidebarTracker ? input.sidebarDivider
                                                         : input.inspectorDivider;
    };
    auto fixedWidth = [&](const QString& identifier) {
        if (identifier == ToolbarItem::space) {
            return input.spaceWidth;
        }
        if (identifier == ToolbarItem::flexibleSpace || isTracker(identifier)) {
            return 0;
        }
        return input.widthOf ? std::max(0, input.widthOf(identifier)) : 0;
    };

    int start = input.margin;
    qsizetype first = 0;
    // Lays out items [first, last) between `start` and `end`; returns where the flow ends.
    auto placeSection = [&](qsizetype last, int end) {
        int fixed = 0;
        int flexible = 0;
        int count = 0;
        for (auto i = first; i < last; ++i) {
            const auto& identifier = input.items[i];
            if (isTracker(identifier)) {
                continue;  // a collapsed pane's separator: no room
            }
            fixed += fixedWidth(identifier);
            flexible += identifier == ToolbarItem::flexibleSpace ? 1 : 0;
            ++count;
        }
        const int gaps = std::max(0, count - 1) * input.spacing;
        const int leftover = std::max(0, end - start - fixed - gaps);
        int x = start;
        int shared = 0;
        for (auto i = first; i < last; ++i) {
            const auto& identifier = input.items[i];
            if (isTracker(identifier)) {
                placements[i] = ToolbarPlacement{x, 0, false};
                continue;
            }
            int width = fixedWidth(identifier);
            if (identifier == ToolbarItem::flexibleSpace) {
                // The first spaces take the remainder of an uneven share.
                width = leftover / flexible + (shared < leftover % flexible ? 1 : 0);
                ++shared;
            }
            placements[i] = ToolbarPlacement{x, width, true};
            x += width + input.spacing;
        }
        return x - (count > 0 ? input.spacing : 0);
    };

    for (qsizetype i = 0; i < input.items.size(); ++i) {
        const auto& identifier = input.items[i];
        if (!isTracker(identifier)) {
            continue;
        }
        const auto divider = dividerOf(identifier);
        if (!divider) {
            continue;  // merged with the next section
        }
        const int flowEnd = placeSection(i, *divider - input.spacing);
        placements[i] = ToolbarPlacement{*divider, 1, true};
        start = std::max(*divider + 1 + input.spacing, flowEnd + input.spacing);
        first = i + 1;
    }
    placeSection(input.items.size(), input.width - input.margin);
    return placements;
}

}  // namespace tavrin
