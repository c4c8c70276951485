#include "ui/ExaggeratedDisplayShape.h"

#include <algorithm>

namespace tavrin {

QRectF ExaggeratedDisplayShape::notch(const QRectF& rect) {
    const qreal width = rect.width() * 0.15;
    // Two points deep at least, but never through a tile flatter than four.
    const qreal depth = std::min(std::max(2.0, rect.height() * 0.05), rect.height() / 2);
    return QRectF(rect.center().x() - width / 2, rect.top(), width, depth);
}

qreal ExaggeratedDisplayShape::topCornerRadius(const QRectF& rect) {
    return std::max(3.0, rect.width() * 0.025);
}

QPainterPath ExaggeratedDisplayShape::path(const QRectF& rect) const {
    QPainterPath path;
    if (kind_ == Kind::rectangular) {
        path.addRect(rect);
        return path;
    }
    // A tile smaller than its corners would fold over itself: the radius never passes half of
    // either side.
    const qreal radius = std::min({topCornerRadius(rect), rect.width() / 2, rect.height() / 2});
    path.moveTo(rect.left(), rect.bottom());
    path.lineTo(rect.left(), rect.top() + radius);
    path.quadTo(rect.topLeft(), QPointF(rect.left() + radius, rect.top()));
    if (kind_ == Kind::roundedWithNotch) {
        const QRectF cut = notch(rect);
        const qreal outer = cut.height() * 0.4;
        // On a tiny tile the two inner corners would cross: each takes at most half the notch.
        const qreal inner = std::min(cut.height() * 0.7, cut.width() / 2);
        // Each side of the notch is one S-bend: it leaves the top edge 0.4 of the depth before
        // the notch (the outer corner) and meets the floor 0.7 of the depth inside it (the inner
        // corner). The two radii add up to more than the depth, so they share the vertical run.
        path.lineTo(cut.left() - outer, cut.top());
        path.cubicTo(cut.topLeft(), cut.bottomLeft(), QPointF(cut.left() + inner, cut.bottom()));
        path.lineTo(cut.right() - inner, cut.bottom());
        path.cubicTo(cut.bottomRight(), cut.topRight(), QPointF(cut.right() + outer, cut.top()));
    }
    path.lineTo(rect.right() - radius, rect.top());
    path.quadTo(rect.topRight(), QPointF(rect.right(), rect.top() + radius));
    path.lineTo(rect.bottomRight());
    path.closeSubpath();
    return path;
}

}  // namespace tavrin
