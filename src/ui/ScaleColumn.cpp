#include "ui/ScaleColumn.h"

#include <QPainter>
#include <QPalette>

#include "ui/StatusColors.h"

namespace tavrin {

double ScaleColumn::position(double decibels) {
    if (decibels <= -60) {
        return 0;
    }
    if (decibels >= 0) {
        return 1;
    }
    return (decibels + 60) / 60;
}

void ScaleColumn::paint(QPainter& painter, const QRectF& rect, bool enabled, const QFont& font,
                        const QPalette& palette) {
    painter.save();
    painter.setOpacity(painter.opacity() * opacity(enabled));
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
    painter.restore();
}

}  // namespace tavrin
