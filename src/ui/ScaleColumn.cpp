#include "ui/ScaleColumn.h"

#include <QPainter>
#include <QPalette>

#include "ui/StatusColors.h"

namespace tavrin {

namespace {

// Room above and below the column for the labels centred on the top and bottom ticks.
constexpr qreal labelOverhang = 6;

}  // namespace

double ScaleColumn::position(double decibels) {
    if (decibels <= -60) {
        return 0;
    }
    if (decibels >= 0) {
        return 1;
    }
    return (decibels + 60) / 60;
}

void ScaleColumn::draw(QPainter& painter, const QRectF& rect, const QFont& font,
                       const QPalette& palette) {
    painter.setFont(font);
    const QColor secondary = palette.color(QPalette::PlaceholderText);
    const qreal labelWidth = width - 8;
    const qreal labelHeight = 12;
    for (const int tick : ticks) {
        // The label's row sits 6 points above the tick's height, so the mark meets its middle.
        const qreal top = rect.top() + (1 - position(tick)) * rect.height() - 6;
        painter.setPen(secondary);
        painter.drawText(QRectF(rect.left(), top, labelWidth, labelHeight),
                         Qt::AlignRight | Qt::AlignVCenter, QString::number(tick));
        painter.fillRect(QRectF(rect.left() + width, top + 6, 4, 1), withOpacity(secondary, 0.4));
    }
}

void ScaleColumn::paint(QPainter& painter, const QRectF& rect, bool enabled, const QFont& font,
                        const QPalette& palette, qreal devicePixelRatio) {
    const QSizeF size(rect.width(), rect.height() + 2 * labelOverhang);
    const QString key = QStringLiteral("%1/%2/%3/%4x%5/%6")
                            .arg(enabled)
                            .arg(palette.cacheKey())
                            .arg(font.key())
                            .arg(size.width())
                            .arg(size.height())
                            .arg(devicePixelRatio);
    if (key != cacheKey_) {
        cacheKey_ = key;
        cache_ = QPixmap((size * devicePixelRatio).toSize());
        cache_.setDevicePixelRatio(devicePixelRatio);
        cache_.fill(Qt::transparent);
        QPainter into(&cache_);
        into.setOpacity(opacity(enabled));
        draw(into, QRectF(0, labelOverhang, rect.width(), rect.height()), font, palette);
    }
    painter.drawPixmap(QPointF(rect.left(), rect.top() - labelOverhang), cache_);
}

}  // namespace tavrin
