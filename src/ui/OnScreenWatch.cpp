#include "ui/OnScreenWatch.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QScrollBar>
#include <QWidget>

namespace tavrin {

OnScreenWatch::OnScreenWatch(QWidget* widget) : QObject(widget), widget_(widget) {
    widget_->installEventFilter(this);
    watchAncestors();
}

void OnScreenWatch::update() {
    // A minimised window keeps its widgets visible to Qt, and a scrolled-out one too; only what
    // is left of the widget inside its window says whether it can be seen.
    const bool seen = widget_->isVisible() && !widget_->window()->isMinimized() &&
                      !widget_->visibleRegion().isEmpty();
    if (seen != onScreen_) {
        onScreen_ = seen;
        emit onScreenChanged();
    }
}

bool OnScreenWatch::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::ParentChange:
            if (watched == widget_) {
                watchAncestors();
            }
            update();
            break;
        case QEvent::Show:
        case QEvent::Hide:
        case QEvent::WindowStateChange:
        case QEvent::Resize:
        case QEvent::Move:
            update();
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

void OnScreenWatch::watchAncestors() {
    for (const auto& ancestor : ancestors_) {
        if (ancestor) {
            ancestor->removeEventFilter(this);
        }
    }
    ancestors_.clear();
    for (const auto& connection : scrolls_) {
        disconnect(connection);
    }
    scrolls_.clear();
    for (auto* ancestor = widget_->parentWidget(); ancestor; ancestor = ancestor->parentWidget()) {
        if (auto* area = qobject_cast<QAbstractScrollArea*>(ancestor)) {
            for (auto* bar : {area->verticalScrollBar(), area->horizontalScrollBar()}) {
                scrolls_.append(
                    connect(bar, &QScrollBar::valueChanged, this, &OnScreenWatch::update));
            }
            area->viewport()->installEventFilter(this);
            ancestors_.append(area->viewport());
        }
        if (ancestor->isWindow()) {
            ancestor->installEventFilter(this);
            ancestors_.append(ancestor);
        }
    }
}

}  // namespace tavrin
