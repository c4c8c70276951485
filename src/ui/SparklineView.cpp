#include "ui/SparklineView.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <limits>
#include <numbers>

#include "ui/AccessibleViews.h"

namespace tavrin {

std::array<double, 24> sparklineHeights(double value, double lower, double upper, double phase) {
    const double span = std::max(upper - lower, std::numeric_limits<double>::denorm_min());
    double t = (value - lower) / span;
    if (!std::isfinite(t)) {
        t = 0;
    }
    const double base = t * 0.6 + 0.2;
    std::array<double, 24> heights{};
    for (int i = 0; i < 24; ++i) {
        const double wave = std::sin(2 * phase + double(i) / 23.0 * 3 * std::numbers::pi);
        heights[std::size_t(i)] = std::clamp(base + wave * 0.18, 0.02, 0.98);
    }
    return heights;
}

double sparklinePhase(const QString& seed) {
    // The remainder keeps the sign of the hash, as the curve's phase should.
    const auto hash = static_cast<qint64>(qHash(seed));
    return double(hash % 1000) / 1000.0 * std::numbers::pi;
}

std::array<QPointF, 24> sparklinePoints(const std::array<double, 24>& heights, QSizeF size) {
    std::array<QPointF, 24> points;
    for (std::size_t i = 0; i < heights.size(); ++i) {
        points[i] = {double(i) / 23.0 * size.width(), (1.0 - heights[i]) * size.height()};
    }
    return points;
}

SparklineView::SparklineView(const QString& seed, QWidget* parent)
    : QWidget(parent), phase_(sparklinePhase(seed)) {
    setFixedSize(38, 14);
    installAccessibleViews();
    setAccessibleName(seed + QStringLiteral(" curve"));
    heights_ = sparklineHeights(0, 0, 1, phase_);
}

QString SparklineView::valueText() const {
    return QStringLiteral("%1%").arg(std::lround(fraction_ * 100));
}

void SparklineView::setValue(double value, double lower, double upper) {
    if (std::isnan(value)) {
        return;
    }
    const double span = upper - lower;
    fraction_ = span > 0 ? std::clamp((value - lower) / span, 0.0, 1.0) : 0.0;
    const auto heights = sparklineHeights(value, lower, upper, phase_);
    if (heights != heights_) {
        heights_ = heights;
        update();
    }
}

void SparklineView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    auto background = palette().color(QPalette::WindowText);
    background.setAlphaF(0.04);
    painter.setPen(Qt::NoPen);
    painter.setBrush(background);
    painter.drawRoundedRect(QRectF(rect()), 3, 3);

    const auto points = sparklinePoints(heights_, size());
    // Catmull-Rom through the points with a tension of 0.5, as cubic Béziers.
    QPainterPath path(points[0]);
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        const auto& p0 = points[i == 0 ? 0 : i - 1];
        const auto& p1 = points[i];
        const auto& p2 = points[i + 1];
        const auto& p3 = points[std::min(i + 2, points.size() - 1)];
        const double k = 0.5 / 3.0;
        path.cubicTo(p1 + (p2 - p0) * k, p2 - (p3 - p1) * k, p2);
    }
    const auto tint = palette().color(QPalette::Highlight);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(tint, 1.2));
    painter.drawPath(path);
    painter.setPen(Qt::NoPen);
    painter.setBrush(tint);
    // A point mark of symbol size 14 covers about 14 square points: a radius of about 2.
    painter.drawEllipse(points.back(), 2.1, 2.1);
}

}  // namespace tavrin
