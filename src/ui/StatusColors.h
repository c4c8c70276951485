#pragma once

#include <QColor>
#include <QPalette>

#include "catalogue/DeviceStatus.h"

namespace tavrin {

// The colour of a status tint on this palette: the system's green, orange and blue, a little
// brighter on dark palettes; secondary is the palette's placeholder text.
QColor tintColor(StatusTint tint, const QPalette& palette);

bool isDarkPalette(const QPalette& palette);

// The system's red, for what this process holds against every other one.
QColor redColor(const QPalette& palette);

// The third and fourth levels of foreground, fainter than the secondary text: for fills of
// tiles, pills and sections that must read on light and dark windows alike.
QColor tertiaryColor(const QPalette& palette);
QColor quaternaryColor(const QPalette& palette);

// `color` at `opacity` times its own alpha.
QColor withOpacity(QColor color, qreal opacity);

}  // namespace tavrin
