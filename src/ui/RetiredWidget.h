#pragma once

#include <QLayout>
#include <QWidget>

namespace tavrin {

// Takes a widget off the screen at once and deletes it once control is back in the event loop.
// A page or row is rebuilt in answer to a signal that it, or a child of it, may have emitted (a
// click on an arrangement tile selects another display, whose canvas replaces the tile's): a
// plain delete would free the widget under its own handler, which goes on to use it. Hidden, it
// stops what it shows live at once.
inline void retireWidget(QWidget* widget) {
    if (!widget) {
        return;
    }
    widget->hide();
    if (auto* parent = widget->parentWidget(); parent && parent->layout()) {
        parent->layout()->removeWidget(widget);
    }
    widget->deleteLater();
}

template <typename Widgets>
void retireWidgets(Widgets& widgets) {
    for (auto* widget : widgets) {
        retireWidget(widget);
    }
    widgets.clear();
}

}  // namespace tavrin
