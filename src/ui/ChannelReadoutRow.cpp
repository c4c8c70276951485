#include "ui/ChannelReadoutRow.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPalette>
#include <algorithm>
#include <cmath>

#include "ui/ChannelBar.h"
#include "ui/ScaleColumn.h"

namespace tavrin {

namespace {

constexpr qreal columnSpacing = 10;
const QString minusInfinity = QStringLiteral("\u2014\u221e");

}  // namespace

QString ChannelReadoutRow::decibelText(double value) {
    if (!(value > 0)) {
        return minusInfinity;
    }
    const double decibels = std::min(value, 1.0) * 60 - 60;
    return decibels > -59.5 ? QString::asprintf("%.0f", decibels) : minusInfinity;
}

qreal ChannelReadoutRow::height(const QFont& font) {
    return QFontMetricsF(font).height() * 2 + 1;
}

void ChannelReadoutRow::paint(QPainter& painter, const QPointF& origin, qreal leadingInset,
                              const QList<ChannelLevel>& levels, const QFont& font,
                              const QPalette& palette) {
    painter.save();
    painter.setFont(font);
    const qreal line = QFontMetricsF(font).height();
    // The texts may be a little wider than their bar; they stay centred under it.
    const qreal overhang = columnSpacing / 2;
    qreal x = origin.x() + leadingInset;
    for (qsizetype channel = 0; channel < levels.size(); ++channel) {
        const QRectF column(x - overhang, origin.y(), ChannelBar::width + 2 * overhang, line);
        painter.setPen(palette.color(QPalette::PlaceholderText));
        painter.drawText(column, Qt::AlignHCenter | Qt::AlignTop, QString::number(channel + 1));
        painter.setPen(palette.color(QPalette::WindowText));
        painter.drawText(column.translated(0, line + 1), Qt::AlignHCenter | Qt::AlignTop,
                         decibelText(levels[channel].peakHold));
        x += ChannelBar::width + columnSpacing;
    }
    painter.restore();
}

}  // namespace tavrin
