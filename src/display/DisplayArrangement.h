#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <cstdint>
#include <memory>
#include <optional>

#include "platform/SXDisplay.h"

namespace tavrin {

class DisplayDevice;

// The geometry of the arrangement canvas: where the displays are drawn, how they group when
// mirrored, and where a dragged display or menu bar lands. No widget here.
namespace DisplayArrangement {

inline constexpr double canvasPadding = 12;
inline constexpr double tallestDisplayPoints = 180;
inline constexpr double snapTolerancePoints = 10;
inline constexpr double rubberBandLimitPoints = 10;

// A display as the geometry sees it: its ID and its frame in global coordinates.
struct Placed {
    DisplayID id = 0;
    QRectF frame;
};

// Global display coordinates mapped onto a canvas, centred, never drawing a display taller than
// 180 points.
struct Layout {
    QRectF bounds;
    double scale = 1;
    QPointF canvasOffset;

    static Layout make(const QList<Placed>& displays, const QSizeF& canvas);
    QRectF canvasRect(const QRectF& frame) const;
};

struct MirrorGroup {
    std::shared_ptr<DisplayDevice> primary;
    std::shared_ptr<DisplayDevice> secondary;
};

// The displays that are drawn: every one that is not `notConnected`, in list order.
QList<std::shared_ptr<DisplayDevice>> displaysOnCanvas(
    const QList<std::shared_ptr<DisplayDevice>>& displays);
QList<Placed> placed(const QList<std::shared_ptr<DisplayDevice>>& displays);

// Each display that mirrors nothing leads a group with the first display mirroring it; mirroring
// displays left over get groups of their own.
QList<MirrorGroup> mirrorGroups(const QList<std::shared_ptr<DisplayDevice>>& displays);

// Where a display dragged by `translation` canvas points lands: flush beside, above or below
// another display, aligned to an edge within 10 canvas points, never overlapping; its own origin
// when nothing fits.
QPointF snappedOrigin(const Placed& display, const QPointF& translation,
                      const QList<Placed>& onCanvas, double scale);

// An origin as display services take it: whole numbers of 32 bits.
struct IntegerOrigin {
    std::int32_t x = 0;
    std::int32_t y = 0;

    friend bool operator==(const IntegerOrigin&, const IntegerOrigin&) = default;
};

// What the drop of a dragged display asks the display services to set: the snapped origin with
// its fractions dropped, when that differs from the current origin taken the same way. Nothing
// when they are equal, or when the snapped origin doesn't fit 32 bits, so an origin that would
// wrap around is never sent. A current origin that doesn't fit counts as different.
std::optional<IntegerOrigin> originToSet(const QPointF& snapped, const QPointF& current);

// The extra pull toward the pointer while dragging, under 10 points on each axis.
QPointF rubberBandOffset(const QPointF& translation, const QPointF& snapped, const QPointF& current,
                         double scale);

// The display whose canvas rectangle holds the drop location, when it is not the one the menu
// bar came from.
std::optional<DisplayID> menuBarDropTarget(const QPointF& location, const QList<Placed>& onCanvas,
                                           const Layout& layout, DisplayID from);

}  // namespace DisplayArrangement

}  // namespace tavrin
