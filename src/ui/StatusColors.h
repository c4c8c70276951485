#pragma once

#include <QColor>
#include <QPalette>

#include "catalogue/DeviceStatus.h"

namespace tavrin {

// The colour of a status tint on this palette: the system's green, orange and blue, a little
// brighter on dark palettes; secondary is the palette's placeholder text.
QColor tintColor(StatusTint tint, const QPalette& palette);

bool isDarkPalette(const QPalette& palette);

}  // namespace tavrin
