#pragma once

#include <QPainterPath>
#include <QRectF>

namespace tavrin {

// The outline of a display on the arrangement canvas: a plain rectangle, or a panel with rounded
// top corners and, for a built-in display, the camera notch, drawn large enough to be seen on a
// tile a few dozen points wide.
class ExaggeratedDisplayShape {
public:
    enum class Kind { rectangular, rounded, roundedWithNotch };

    explicit ExaggeratedDisplayShape(Kind kind) : kind_(kind) {}

    Kind kind() const { return kind_; }
    QPainterPath path(const QRectF& rect) const;

    // The notch of a `rect` outline, without its rounding: width × 0.15 wide, centred on the top
    // edge, max(2, height × 0.05) deep (at most half the height).
    static QRectF notch(const QRectF& rect);
    // The radius of the rounded top corners: max(3, width × 0.025).
    static qreal topCornerRadius(const QRectF& rect);

private:
    Kind kind_;
};

}  // namespace tavrin
