#include "ui/ChannelReadoutRow.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPalette>
#include <algorithm>
#include <cmath>

#include "ui/ChannelBar.h"

namespace tavrin {

namespace {

constexpr qreal columnSpacing = 10;
const QString minusInfinity = QStringLiteral("\u2014\u221e");

QStaticText laidOut(const QString& text, const QFont& font) {
    QStaticText result(text);
    result.setTextFormat(Qt::PlainText);
    result.prepare(QTransform(), font);
    return result;
}

}  // namespace

QString ChannelReadoutRow::decibelText(double value) {
    if (!(value > 0)) {
        return minusInfinity;
    }
    const double decibels = std::min(value, 1.0) * 60 - 60;
    return decibels > -59.5 ? QString::asprintf("%.0f", decibels) : minusInfinity;
}

void ChannelReadoutRow::setFont(const QFont& font) {
    font_ = font;
    texts_.clear();
    numbers_.clear();
    readouts_.clear();
}

qreal ChannelReadoutRow::height() const {
    return QFontMetricsF(font_).height() * 2 + 1;
}

void ChannelReadoutRow::setLevels(const QList<ChannelLevel>& levels) {
    while (numbers_.size() < levels.size()) {
        numbers_.append(laidOut(QString::number(numbers_.size() + 1), font_));
    }
    texts_.resize(levels.size());
    readouts_.resize(levels.size());
    for (qsizetype channel = 0; channel < levels.size(); ++channel) {
        const QString text = decibelText(levels[channel].peakHold);
        if (text != texts_[channel]) {
            texts_[channel] = text;
            readouts_[channel] = laidOut(text, font_);
        }
    }
}

void ChannelReadoutRow::paint(QPainter& painter, const QPointF& origin, qreal leadingInset,
                              const QPalette& palette) const {
    painter.save();
    painter.setFont(font_);
    const qreal line = QFontMetricsF(font_).height();
    // A text may be a little wider than its bar; it stays centred under it.
    const auto centred = [](const QStaticText& text, qreal centre) {
        return centre - text.size().width() / 2;
    };
    qreal x = origin.x() + leadingInset;
    for (qsizetype channel = 0; channel < readouts_.size(); ++channel) {
        const qreal centre = x + ChannelBar::width / 2;
        painter.setPen(palette.color(QPalette::PlaceholderText));
        painter.drawStaticText(QPointF(centred(numbers_[channel], centre), origin.y()),
                               numbers_[channel]);
        painter.setPen(palette.color(QPalette::WindowText));
        painter.drawStaticText(QPointF(centred(readouts_[channel], centre), origin.y() + line + 1),
                               readouts_[channel]);
        x += ChannelBar::width + columnSpacing;
    }
    painter.restore();
}

}  // namespace tavrin
