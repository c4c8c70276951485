#pragma once

#include <QList>
#include <QPixmap>
#include <QRectF>

class QFont;
class QPainter;
class QPalette;

namespace tavrin {

// The decibel scale beside the level bars: each tick's value, right-aligned, and a short mark
// at its height. Faded while the meter is off. It changes only with the switch, the font and
// the palette, so it is drawn once into a pixmap and copied with every frame.
class ScaleColumn {
public:
    static constexpr qreal width = 32;
    static inline const QList<int> ticks{0, -6, -12, -24, -48};

    // The tick's height on the 0…1 scale of the bars (−60 dB at the bottom).
    static double position(double decibels);
    static qreal opacity(bool enabled) { return enabled ? 1.0 : 0.3; }
    // The column takes the scale's width plus the mark and its gap.
    static qreal frameWidth() { return width + 4; }

    // Draws the column into `rect`, the bars' height tall; the top label reaches 6 points above.
    void paint(QPainter& painter, const QRectF& rect, bool enabled, const QFont& font,
               const QPalette& palette, qreal devicePixelRatio);

private:
    static void draw(QPainter& painter, const QRectF& rect, const QFont& font,
                     const QPalette& palette);

    QPixmap cache_;
    QString cacheKey_;
};

}  // namespace tavrin
