#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace tavrin {

// Where the next window's top-left corner goes when cascading from `from`: one title bar down
// and right, back to the screen's top-left when the window would no longer fit.
QPoint cascadedTopLeft(const QPoint& from, const QSize& windowSize, const QRect& available);

// A restored frame is used only if enough of it lies on a screen to grab it again.
bool isUsableFrame(const QRect& frame, const QList<QRect>& screens);

}  // namespace tavrin
