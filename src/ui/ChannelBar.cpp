#include "ui/ChannelBar.h"

#include <QLinearGradient>
#include <QPainter>
#include <cmath>

#include "ui/StatusColors.h"

namespace tavrin {

namespace {

QColor meterGreen(const QPalette& palette) {
    return tintColor(StatusTint::green, palette);
}

QColor meterYellow(const QPalette& palette) {
    return isDarkPalette(palette) ? QColor(0xff, 0xd6, 0x0a) : QColor(0xff, 0xcc, 0x00);
}

}  // namespace

double ChannelBar::drawable(double value) {
    return std::isnan(value) ? 0.0 : std::clamp(value, 0.0, 1.0);
}

std::optional<QColor> ChannelBar::markerColor(double peakHold, const QPalette& palette) {
    const double peak = drawable(peakHold);
    if (peak <= markerThreshold) {
        return std::nullopt;
    }
    if (peak >= 0.9) {
        return redColor(palette);
    }
    return peak >= 0.7 ? meterYellow(palette) : meterGreen(palette);
}

void ChannelBar::paint(QPainter& painter, const QRectF& rect, const ChannelLevel& level,
                       bool enabled, const QPalette& palette) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor track = quaternaryColor(palette);
    if (!enabled) {
        painter.setPen(QPen(track, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius, cornerRadius);
        painter.restore();
        return;
    }
    // Filled shapes rather than a clip path: this is painted for every channel in every frame.
    painter.setPen(Qt::NoPen);
    painter.setBrush(withOpacity(track, 0.5));
    painter.drawRoundedRect(rect, cornerRadius, cornerRadius);

    const qreal height = rect.height();
    const qreal fill = height * drawable(level.average);
    if (fill > 0) {
        QLinearGradient gradient(rect.bottomLeft(), rect.topLeft());
        const QColor green = meterGreen(palette);
        const QColor yellow = meterYellow(palette);
        const QColor red = redColor(palette);
        gradient.setColorAt(0, green);
        gradient.setColorAt(0.7, green);
        gradient.setColorAt(0.72, yellow);
        gradient.setColorAt(0.9, yellow);
        gradient.setColorAt(0.92, red);
        gradient.setColorAt(1, red);
        painter.setBrush(gradient);
        const QRectF filled(rect.left(), rect.bottom() - fill, rect.width(), fill);
        const qreal radius = std::min(cornerRadius, fill / 2);
        painter.drawRoundedRect(filled, radius, radius);
    }
    if (const auto color = markerColor(level.peakHold, palette)) {
        const qreal markerBottom = rect.bottom() - (height * drawable(level.peakHold) - 1);
        const qreal top = std::max(rect.top(), markerBottom - markerHeight);
        painter.fillRect(QRectF(rect.left(), top, rect.width(), markerBottom - top), *color);
    }
    painter.restore();
}

}  // namespace tavrin
