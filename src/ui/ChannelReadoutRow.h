#pragma once

#include <QList>
#include <QPointF>
#include <QString>

#include "audio/ChannelLevel.h"

class QFont;
class QPainter;
class QPalette;

namespace tavrin {

// Under the bars: each channel's number, counted from 1, over its held peak in decibels.
class ChannelReadoutRow {
public:
    // The readout of a 0…1 level: whole decibels, or "—∞" at and below −59.5 dB.
    static QString decibelText(double value);
    // Two lines of the font and the point between them.
    static qreal height(const QFont& font);

    // Draws one 20-point column per level, 10 points apart, from `origin` moved right by
    // `leadingInset`.
    static void paint(QPainter& painter, const QPointF& origin, qreal leadingInset,
                      const QList<ChannelLevel>& levels, const QFont& font,
                      const QPalette& palette);
};

}  // namespace tavrin
