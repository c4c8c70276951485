#include "ui/WindowCascade.h"

#include <QList>

namespace tavrin {

namespace {

constexpr int cascadeOffset = 26;

}  // namespace

QPoint cascadedTopLeft(const QPoint& from, const QSize& windowSize, const QRect& available) {
    QPoint next = from + QPoint(cascadeOffset, cascadeOffset);
    if (available.isEmpty()) {
        return next;
    }
    if (next.x() + windowSize.width() > available.right() + 1 ||
        next.y() + windowSize.height() > available.bottom() + 1) {
        next = available.topLeft() + QPoint(cascadeOffset, cascadeOffset);
    }
    return next;
}

bool isUsableFrame(const QRect& frame, const QList<QRect>& screens) {
    if (frame.width() < 100 || frame.height() < 100) {
        return false;
    }
    // The title bar's strip must be reachable on some screen.
    const QRect titleBar(frame.left(), frame.top(), frame.width(), 30);
    for (const auto& screen : screens) {
        const auto overlap = screen.intersected(titleBar);
        if (overlap.width() >= 80 && overlap.height() >= 10) {
            return true;
        }
    }
    return false;
}

}  // namespace tavrin
