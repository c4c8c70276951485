#pragma once

#include <QFont>
#include <QList>
#include <QPointF>
#include <QStaticText>
#include <QString>

#include "audio/ChannelLevel.h"

class QPainter;
class QPalette;

namespace tavrin {

// Under the bars: each channel's number, counted from 1, over its held peak in decibels. The
// texts are laid out once and again only when a channel's whole-decibel text changes, since the
// row is painted with every frame of the meter.
class ChannelReadoutRow {
public:
    // The readout of a 0…1 level: whole decibels, or "—∞" at and below −59.5 dB.
    static QString decibelText(double value);

    void setFont(const QFont& font);
    // Two lines of the font and the point between them.
    qreal height() const;
    void setLevels(const QList<ChannelLevel>& levels);
    const QList<QString>& texts() const { return texts_; }

    // Draws one 20-point column per channel, 10 points apart, from `origin` moved right by
    // `leadingInset`.
    void paint(QPainter& painter, const QPointF& origin, qreal leadingInset,
               const QPalette& palette) const;

private:
    QFont font_;
    QList<QString> texts_;
    QList<QStaticText> numbers_;
    QList<QStaticText> readouts_;
};

}  // namespace tavrin
