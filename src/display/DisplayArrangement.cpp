#include "display/DisplayArrangement.h"

#include <QHash>
#include <cmath>

#include "display/DisplayDevice.h"
#include "runtime/TruncatedInteger.h"

namespace tavrin::DisplayArrangement {

namespace {

// Snaps a coordinate to the alignment value inside [low, high] nearest to it (the first on
// ties), when that lies within the tolerance.
double aligned(double value, double low, double high, const QList<double>& alignments,
               double tolerance) {
    std::optional<double> nearest;
    for (const double candidate : alignments) {
        if (candidate < low || candidate > high) {
            continue;
        }
        if (!nearest || std::fabs(candidate - value) < std::fabs(*nearest - value)) {
            nearest = candidate;
        }
    }
    return nearest && std::fabs(*nearest - value) <= tolerance ? *nearest : value;
}

}  // namespace

Layout Layout::make(const QList<Placed>& displays, const QSizeF& canvas) {
    Layout layout;
    layout.bounds = QRectF(0, 0, 1, 1);
    double tallest = 0;
    for (qsizetype index = 0; index < displays.size(); ++index) {
        const auto& frame = displays[index].frame;
        layout.bounds = index == 0 ? frame : layout.bounds.united(frame);
        tallest = std::max(tallest, frame.height());
    }
    if (displays.isEmpty()) {
        tallest = layout.bounds.height();
    }
    const double availableWidth = std::max(1.0, canvas.width() - 2 * canvasPadding);
    const double availableHeight = std::max(1.0, canvas.height() - 2 * canvasPadding);
    const double fitWidth = availableWidth / std::max(1.0, layout.bounds.width());
    const double fitHeight = availableHeight / std::max(1.0, layout.bounds.height());
    layout.scale = std::min(
        {fitWidth, fitHeight, tallest > 1 ? tallestDisplayPoints / tallest : tallestDisplayPoints});
    layout.canvasOffset = QPointF((canvas.width() - layout.scale * layout.bounds.width()) / 2,
                                  (canvas.height() - layout.scale * layout.bounds.height()) / 2);
    return layout;
}

QRectF Layout::canvasRect(const QRectF& frame) const {
    return QRectF(canvasOffset.x() + (frame.x() - bounds.x()) * scale,
                  canvasOffset.y() + (frame.y() - bounds.y()) * scale, frame.width() * scale,
                  frame.height() * scale);
}

QList<std::shared_ptr<DisplayDevice>> displaysOnCanvas(
    const QList<std::shared_ptr<DisplayDevice>>& displays) {
    QList<std::shared_ptr<DisplayDevice>> shown;
    for (const auto& display : displays) {
        if (display->availability() != SXAvailability::notConnected()) {
            shown.append(display);
        }
    }
    return shown;
}

QList<Placed> placed(const QList<std::shared_ptr<DisplayDevice>>& displays) {
    QList<Placed> result;
    for (const auto& display : displays) {
        result.append({display->id(), display->frame()});
    }
    return result;
}

QList<MirrorGroup> mirrorGroups(const QList<std::shared_ptr<DisplayDevice>>& displays) {
    QHash<DisplayID, QList<std::shared_ptr<DisplayDevice>>> mirrorsOf;
    for (const auto& display : displays) {
        if (display->mirrorOfID()) {
            mirrorsOf[*display->mirrorOfID()].append(display);
        }
    }
    QList<MirrorGroup> groups;
    QList<std::shared_ptr<DisplayDevice>> secondaries;
    for (const auto& display : displays) {
        if (display->mirrorOfID()) {
            continue;
        }
        const auto mirrors = mirrorsOf.value(display->id());
        groups.append({display, mirrors.isEmpty() ? nullptr : mirrors.front()});
        if (!mirrors.isEmpty()) {
            secondaries.append(mirrors.front());
        }
    }
    for (const auto& display : displays) {
        if (display->mirrorOfID() && !secondaries.contains(display)) {
            groups.append({display, nullptr});
        }
    }
    return groups;
}

QPointF snappedOrigin(const Placed& display, const QPointF& translation,
                      const QList<Placed>& onCanvas, double scale) {
    const auto current = display.frame.topLeft();
    if (!(scale > 0)) {
        return current;
    }
    const QPointF proposed = current + translation / scale;
    const double tolerance = snapTolerancePoints / scale;
    const double w = display.frame.width();
    const double h = display.frame.height();

    QList<QRectF> others;
    QList<double> xAlignments;
    QList<double> yAlignments;
    for (const auto& other : onCanvas) {
        if (other.id == display.id) {
            continue;
        }
        others.append(other.frame);
        yAlignments << other.frame.top() << other.frame.bottom() - h;
        xAlignments << other.frame.left() << other.frame.right() - w;
    }

    QList<QPointF> candidates;
    for (const auto& rect : others) {
        const double yLow = rect.top() - h + 1;
        const double yHigh = rect.bottom() - 1;
        if (yLow <= yHigh) {
            const double y0 = std::clamp(proposed.y(), yLow, yHigh);
            const double y = aligned(y0, yLow, yHigh, yAlignments, tolerance);
            candidates << QPointF(rect.right(), y) << QPointF(rect.left() - w, y);
        }
        const double xLow = rect.left() - w + 1;
        const double xHigh = rect.right() - 1;
        if (xLow <= xHigh) {
            const double x0 = std::clamp(proposed.x(), xLow, xHigh);
            const double x = aligned(x0, xLow, xHigh, xAlignments, tolerance);
            candidates << QPointF(x, rect.top() - h) << QPointF(x, rect.bottom());
        }
    }

    std::optional<QPointF> best;
    double bestDistance = 0;
    for (const auto& candidate : candidates) {
        const QRectF shrunk = QRectF(candidate, QSizeF(w, h)).adjusted(1, 1, -1, -1);
        const bool overlaps = std::any_of(others.begin(), others.end(), [&](const QRectF& other) {
            return shrunk.intersects(other);
        });
        if (overlaps) {
            continue;
        }
        const double distance =
            std::hypot(candidate.x() - proposed.x(), candidate.y() - proposed.y());
        if (!best || distance < bestDistance) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return best.value_or(current);
}

std::optional<IntegerOrigin> originToSet(const QPointF& snapped, const QPointF& current) {
    const auto x = truncatedInteger<std::int32_t>(snapped.x());
    const auto y = truncatedInteger<std::int32_t>(snapped.y());
    if (!x || !y) {
        return std::nullopt;
    }
    const IntegerOrigin origin{*x, *y};
    const auto currentX = truncatedInteger<std::int32_t>(current.x());
    const auto currentY = truncatedInteger<std::int32_t>(current.y());
    if (currentX && currentY && IntegerOrigin{*currentX, *currentY} == origin) {
        return std::nullopt;
    }
    return origin;
}

QPointF rubberBandOffset(const QPointF& translation, const QPointF& snapped, const QPointF& current,
                         double scale) {
    auto pull = [](double ahead) {
        return std::copysign(rubberBandLimitPoints * std::fabs(ahead) / (std::fabs(ahead) + 200),
                             ahead);
    };
    const QPointF ahead = translation - scale * (snapped - current);
    return QPointF(pull(ahead.x()), pull(ahead.y()));
}

std::optional<DisplayID> menuBarDropTarget(const QPointF& location, const QList<Placed>& onCanvas,
                                           const Layout& layout, DisplayID from) {
    for (const auto& display : onCanvas) {
        if (layout.canvasRect(display.frame).contains(location)) {
            return display.id == from ? std::nullopt : std::optional(display.id);
        }
    }
    return std::nullopt;
}

}  // namespace tavrin::DisplayArrangement
