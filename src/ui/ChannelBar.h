#pragma once

#include <QColor>
#include <QRectF>
#include <optional>

#include "audio/ChannelLevel.h"

class QPainter;
class QPalette;

namespace tavrin {

// One channel's vertical level bar: the average as a green, yellow and red fill from the
// bottom, and the held peak as a thin marker. Switched off, only its outline is drawn.
class ChannelBar {
public:
    static constexpr qreal width = 20;
    static constexpr qreal markerHeight = 2;
    static constexpr qreal cornerRadius = 2;
    // A held peak at or below this draws no marker.
    static constexpr double markerThreshold = 0.005;

    // The marker's colour for a held peak; none when no marker is drawn.
    static std::optional<QColor> markerColor(double peakHold, const QPalette& palette);
    // Levels outside 0…1, and values that aren't numbers, are drawn as the nearest sensible one.
    static double drawable(double value);

    // Draws the bar into `rect` (20 points wide, the bar's height tall).
    static void paint(QPainter& painter, const QRectF& rect, const ChannelLevel& level,
                      bool enabled, const QPalette& palette);
};

}  // namespace tavrin
